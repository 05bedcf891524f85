#!/bin/bash
# Measures the running program's CPU use under Wine over SECONDS (default 60)
# with a full table of 150 alarms, each with ten sound starts.
# Usage: scripts/cpu-use.sh EXE [SECONDS]
set -euo pipefail
exe=$(realpath "$1")
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

work=$(mktemp -d /tmp/zentar-cpu.XXXXXX)
wine_session "$root/build/run/prefix" 'rm -rf "$work"'
cp "$exe" "$work/Zentar.exe"

# The default settings, then 150 alarms at minute 30 of every hour.
python3 - "$work/db.dat" <<'PY'
import struct, sys
settings = bytearray(732)
struct.pack_into('<bbbBbbbbb', settings, 0, 0, 0, 0, 0, 0, 4, 5, 5, 24)
struct.pack_into('<IIii', settings, 12, 0x000000, 0x00FF00, 500, 40)
settings[28] = 1
settings[29:34] = b'Arial'
settings[389:391] = b'am'
settings[400:402] = b'pm'
record = bytearray(848)
struct.pack_into('<b', record, 17, 30)           # minute
struct.pack_into('<bbb', record, 834, 10, 5, 1)  # repeat, lead, interval
open(sys.argv[1], 'wb').write(bytes(settings) + struct.pack('<i', 150) + bytes(record) * 150)
PY

(cd "$work" && wine Zentar.exe >/dev/null 2>&1 &)
sleep 5
pid=$(pgrep -x Zentar.exe | head -1)
[ -n "$pid" ] || { echo 'cpu-use: the program did not start' >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "cpu-use: $(awk -v a="$before" -v b="$after" -v hz="$hz" -v s="$seconds" \
  'BEGIN {printf "%.2f s of CPU in %d s (%.2f%%)", (b - a) / hz, s, 100 * (b - a) / hz / s}') \
  with 150 alarms"
