#!/bin/bash
# Starts Zentar under Wine: on $DISPLAY when there is one, else on an Xvfb
# display of its own, and saves a screenshot once the clock is up.
set -euo pipefail
exe=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

wine_session --any-display "$root/build/run/prefix"

# The program keeps db.dat and note.txt beside itself.
app=$root/build/run/Zentar
mkdir -p "$app"
cp "$exe" "$app/Zentar.exe"
cd "$app"
"$WINE" "$app/Zentar.exe" &
pid=$!
sleep 4
shot=$root/build/run/screenshot.png
import -window root "$shot" 2>/dev/null && echo "run: screenshot saved to $shot"

if [ "$WINE_SESSION_OWN_DISPLAY" = 1 ]; then
  echo "run: Zentar is running on the private display $DISPLAY (Ctrl+C ends it)"
else
  echo "run: Zentar is running on $DISPLAY; its data lives in $app"
fi
wait $pid || true
