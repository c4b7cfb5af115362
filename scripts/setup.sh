#!/bin/bash
# Installs what a fresh Debian 12 machine lacks for building and testing Corvane.
# Idempotent: packages already present are not fetched again. Sourced by run.sh and test.sh:
# it then defines its functions only and leaves the sourcing shell's options as they were, so
# a failing command later in that script does not end it.

CORVANE_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-liberation2 file bc
  python3-hivex libhivex-bin libregf-utils python3-libregf libpcre2-dev dpkg-dev
)

CORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# PCRE2 for the Windows build: Debian ships no MinGW build of it, so it is built once from
# Debian's own source package with the MinGW toolchain (static, 16-bit code units, JIT) into
# this cache, which the Windows configure finds (cmake/FindCorvanePcre2.cmake).
CORVANE_PCRE2_MINGW="$CORVANE_ROOT/build/deps/pcre2-mingw"

corvane_missing_packages() {
  local missing=()
  for p in "${CORVANE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

# Fetches Debian's pcre2 source package into the current folder. A machine without deb-src
# lines gets a source list of its own for this one call, with its own package lists, so the
# machine's apt configuration stays as it was.
corvane_pcre2_source() {
  apt-get source -qq pcre2 >/dev/null 2>&1 && return 0
  local apt="$PWD/apt" codename mirror security
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  mirror=http://deb.debian.org/debian
  security=http://deb.debian.org/debian-security
  mkdir -p "$apt/parts" "$apt/lists/partial"
  printf 'deb-src %s %s main\ndeb-src %s %s main\ndeb-src %s %s-security main\n' \
    "$mirror" "$codename" "$mirror" "$codename-updates" "$security" "$codename" \
    >"$apt/sources.list"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists")
  apt-get "${opts[@]}" update -qq || return 1
  # The newest version first; an older one when a mirror lacks its files.
  local v
  for v in $(apt-cache "${opts[@]}" showsrc pcre2 | sed -n 's/^Version: //p' | sort -urV); do
    apt-get "${opts[@]}" source -qq "pcre2=$v" && return 0
  done
  return 1
}

# Builds the static MinGW PCRE2 into $CORVANE_PCRE2_MINGW unless it is there already.
corvane_pcre2_mingw() {
  [ -f "$CORVANE_PCRE2_MINGW/lib/libpcre2-16.a" ] && return 0
  echo "== Building PCRE2 for MinGW-w64 from Debian's source package (once)"
  local work rc
  work=$(mktemp -d)
  (
    cd "$work" || exit 1
    corvane_pcre2_source >build.log 2>&1 || exit 1
    local src
    src=$(find . -maxdepth 1 -type d -name 'pcre2-*' | head -n1)
    [ -n "$src" ] || exit 1
    cmake -S "$src" -B mingw -G Ninja -Wno-dev \
      -DCMAKE_TOOLCHAIN_FILE="$CORVANE_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$CORVANE_PCRE2_MINGW" \
      -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
      -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_BUILD_PCRE2_32=OFF \
      -DPCRE2_SUPPORT_JIT=ON -DPCRE2_SUPPORT_UNICODE=ON \
      -DPCRE2_BUILD_TESTS=OFF -DPCRE2_BUILD_PCRE2GREP=OFF >>build.log 2>&1 &&
      cmake --build mingw -j1 >>build.log 2>&1 &&
      cmake --install mingw >>build.log 2>&1
  ) || { tail -n 30 "$work/build.log" 2>/dev/null; echo "PCRE2 for MinGW-w64 was not built"; }
  rc=0
  [ -f "$CORVANE_PCRE2_MINGW/lib/libpcre2-16.a" ] || rc=1
  rm -rf "$work"
  return $rc
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
  corvane_pcre2_mingw
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  corvane_setup
fi
