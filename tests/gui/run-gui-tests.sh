#!/bin/bash
# Runs the GUI test driver under Wine on a display, then turns its screenshots into PNGs.
#   run-gui-tests.sh WINE_RUN DRIVER_EXE ARTIFACTS_DIR [gtest options]
set -u
runner=$1 driver=$2 artifacts=$3
shift 3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$artifacts"
rm -f "$artifacts"/*.bmp
"$here/../../scripts/xvfb-wrap.sh" "$runner" "$driver" "$@"
rc=$?
for f in "$artifacts"/*.bmp; do
  [ -e "$f" ] || continue
  convert "$f" "${f%.bmp}.png" && rm -f "$f"
done
exit $rc
