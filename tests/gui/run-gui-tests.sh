#!/bin/bash
# Runs the GUI test driver under Wine on a display, then turns its screenshots into PNGs.
#   run-gui-tests.sh WINE_RUN DRIVER_EXE ARTIFACTS_DIR [gtest options]
# CORVANE_GUI_DPI (default 96): the display scale of the run, set as the prefix's LogPixels
# before the driver starts (each Wine process reads it when it starts).
set -u
runner=$1 driver=$2 artifacts=$3
shift 3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$artifacts"
rm -f "$artifacts"/*.bmp
dpi="${CORVANE_GUI_DPI:-96}"
"$runner" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
  >/dev/null 2>&1 || echo "could not set the display scale to $dpi DPI" >&2
"$here/../../scripts/xvfb-wrap.sh" "$runner" "$driver" "$@"
rc=$?
[ "$dpi" = 96 ] || "$runner" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
  /d 96 /f >/dev/null 2>&1
for f in "$artifacts"/*.bmp; do
  [ -e "$f" ] || continue
  convert "$f" "${f%.bmp}.png" && rm -f "$f"
done
exit $rc
