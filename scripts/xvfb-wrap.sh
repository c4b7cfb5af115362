#!/bin/bash
# Runs a command on a display for Wine's windows: $CORVANE_GUI_DISPLAY when it is set,
# otherwise an Xvfb server of its own that ends with the command.
#   scripts/xvfb-wrap.sh COMMAND [ARGS...]
set -u
if [ -n "${CORVANE_GUI_DISPLAY:-}" ]; then
  exec "$@"
fi
command -v Xvfb >/dev/null || { echo "xvfb-wrap: Xvfb is not installed" >&2; exit 1; }
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xpid=$!
read -r -t 20 num <"$fifo"
rm -f "$fifo"
if [ -z "${num:-}" ]; then
  echo "xvfb-wrap: Xvfb did not start" >&2
  kill "$xpid" 2>/dev/null
  exit 1
fi
export CORVANE_GUI_DISPLAY=":$num"
"$@"
rc=$?
kill "$xpid" 2>/dev/null
wait "$xpid" 2>/dev/null
exit $rc
