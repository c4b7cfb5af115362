#!/bin/bash
# Installs what a fresh Debian 12 machine lacks for building and testing Corvane.
# Idempotent: packages already present are not fetched again. Sourced by run.sh and test.sh:
# it then defines its functions only and leaves the sourcing shell's options as they were, so
# a failing command later in that script does not end it.

CORVANE_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-liberation2 file bc
  python3-hivex libhivex-bin libregf-utils python3-libregf
)

corvane_missing_packages() {
  local missing=()
  for p in "${CORVANE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

corvane_setup() {
  local missing
  missing=$(corvane_missing_packages)
  if [ -n "$missing" ]; then
    echo "== Installing: $missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing ||
      return 1
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  corvane_setup
fi
