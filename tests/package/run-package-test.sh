#!/bin/bash
# Makes the release package, unpacks it and runs both programs from the unpacked folder
# through the GUI driver's PackagedProgramsRun case, on a display of its own: corvane-find
# searches a registry export, corvane.exe opens its window.
#   run-package-test.sh BUILD_DIR VERSION GUI_DRIVER
set -u
build=$1 version=$2 driver=$3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source="$(cd "$here/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

name="Corvane-$version-win64"
(cd "$build" && cpack -G ZIP --config CPackConfig.cmake -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
zip="$work/out/$name.zip"
[ -f "$zip" ] || fail "no $name.zip; made: $(ls "$work/out")"
mkdir "$work/x"
(cd "$work/x" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
dir="$work/x/$name"
for f in corvane.exe corvane-find.exe README.md LICENSE; do
  [ -f "$dir/$f" ] || fail "$f is missing from the package"
done
echo "package: $(cd "$work/x" && find . -type f | sort | tr '\n' ' ')"
grep -q "MIT License" "$dir/LICENSE" || fail "LICENSE is not the MIT license"

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
CORVANE_PACKAGE_DIR="$(winpath "$dir")" \
  CORVANE_SAMPLE_REG="$(winpath "$source/tests/regexport/samples/regedit4.reg")" \
  "$source/scripts/xvfb-wrap.sh" "$build/wine-run-gui" "$driver" \
  --gtest_filter='GuiTest.PackagedProgramsRun' --gtest_color=no ||
  fail "the programs did not run from the package"
