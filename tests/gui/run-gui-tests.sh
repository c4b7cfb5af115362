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
# The scale is set on the display, so that Wine's first process there (which starts the
# desktop) has the display, and put back to 96 after a run at another scale.
"$here/../../scripts/xvfb-wrap.sh" bash -c '
  runner=$1 dpi=$2
  shift 2
  scale() { "$runner" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$1" /f; }
  scale "$dpi" >/dev/null 2>&1 || echo "could not set the display scale to $dpi DPI" >&2
  "$runner" "$@"
  rc=$?
  [ "$dpi" = 96 ] || scale 96 >/dev/null 2>&1
  exit $rc' run-gui-tests "$runner" "${CORVANE_GUI_DPI:-96}" "$driver" "$@"
rc=$?
for f in "$artifacts"/*.bmp; do
  [ -e "$f" ] || continue
  convert "$f" "${f%.bmp}.png" && rm -f "$f"
done
exit $rc
