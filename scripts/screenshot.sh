#!/bin/bash
# Starts Zentar on a private Xvfb display over a plain backdrop and saves a
# picture of the clock. Usage: scripts/screenshot.sh EXE OUT.png
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

work=$(mktemp -d /tmp/zentar-shot.XXXXXX)
wine_session "$root/build/run/prefix" 'rm -rf "$work"'

# A desktop-like backdrop painted on the root window.
convert -size 1280x800 gradient:'#4a86c5-#1d3f66' "$work/backdrop.png"
show_backdrop "$work/backdrop.png"
cp "$exe" "$work/Zentar.exe"
(cd "$work" && "$WINE" "$work/Zentar.exe" >/dev/null 2>&1 &)

# The clock's X window, once Wine has mapped it.
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --classname zentar.exe 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "screenshot: the clock did not appear" >&2; exit 1; }
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$win")"
margin=24
mkdir -p "$(dirname "$out")"
import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))" \
  +repage "$out"
echo "screenshot: saved $out"
