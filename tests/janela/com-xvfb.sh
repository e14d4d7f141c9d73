#!/usr/bin/env bash
# Runs a command on an X display of its own: an Xvfb server on the first free display
# number, stopped when the command ends. The command's status is the script's.
#   com-xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: com-xvfb.sh COMMAND [ARGUMENTS...]" >&2; exit 2; }
command -v Xvfb > /dev/null || { echo "com-xvfb.sh: Xvfb is not installed" >&2; exit 1; }

numero=$(mktemp)
servidor=""
parar() {
  if [ -n "$servidor" ]; then
    kill "$servidor" 2> /dev/null || true
    wait "$servidor" 2> /dev/null || true
  fi
  rm -f "$numero"
}
trap parar EXIT

# Xvfb writes the display number it took to descriptor 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$numero" 2> /dev/null &
servidor=$!
for _ in $(seq 150); do
  [ -s "$numero" ] && break
  kill -0 "$servidor" 2> /dev/null || { echo "com-xvfb.sh: Xvfb ended" >&2; exit 1; }
  sleep 0.1
done
[ -s "$numero" ] || { echo "com-xvfb.sh: Xvfb gave no display number" >&2; exit 1; }

status=0
env -u WAYLAND_DISPLAY DISPLAY=":$(head -n1 "$numero")" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
