#!/bin/bash
# Idle work and start-up of Zentar.exe against a minimal Win32 clock
# (bench/minclock.cpp: a 200 ms timer that sets a static's text and a tooltip
# once a second), side by side under the same Wine. The two run by turns, one
# at a time, ROUNDS times each; each is counted over SECONDS of idling together
# with the wineserver's CPU in that interval, which serves only the program
# then running. Zentar has a full table of 150 alarms with ten sound starts
# each, and the default settings, or the transparency level ALPHA (1..10: the
# clock turns opaque under the mouse, so it watches the cursor). Start-up is
# the time from `wine X.exe` to its visible window.
# Usage: scripts/cpu-use.sh BUILD_DIR [SECONDS] [ROUNDS] [ALPHA]   (BUILD_DIR: build/win64)
# ZENTAR_EXE=build/win32/Zentar.exe measures that program (the 32-bit product)
# against the same minimal clock.
set -euo pipefail
build=$(realpath "$1")
seconds=${2:-20}
rounds=${3:-5}
alpha=${4:-0}
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

work=$(mktemp -d /tmp/zentar-cpu.XXXXXX)
wine_session "$root/build/run/prefix" 'rm -rf "$work"'
mkdir -p "$work/zentar" "$work/minclock"
cp "${ZENTAR_EXE:-$build/Zentar.exe}" "$work/zentar/Zentar.exe"
cp "$build/minclock.exe" "$work/minclock/minclock.exe"

# The default settings, then 150 alarms at minute 30 of every hour.
python3 - "$work/zentar/db.dat" "$alpha" <<'PY'
import struct, sys
settings = bytearray(732)
struct.pack_into('<bbbBbbbbb', settings, 0, 0, 0, 0, int(sys.argv[2]), 0, 4, 5, 5, 24)
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

# The process of this prefix with that Unix name (other prefixes may run the same programs).
prefix_pid() {
  local pid
  for pid in $(pgrep -x "$1"); do
    if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return
    fi
  done
}
# CPU time of all threads of a process, in nanoseconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
now_ns() { date +%s%N; }

# Every start is a warm one: the wineserver stays up between the programs.
wineserver -p
server=$(prefix_pid 'wineserver(64)?')
[ -n "$server" ] || { echo "cpu-use: no wineserver for $WINEPREFIX" >&2; exit 1; }

# Runs one program: sets START_MS (launch to visible window) and CPU_NS (its
# CPU and the wineserver's over the idle interval), then ends it.
measure() {
  local dir=$1 exe=$2 pid t0 t1 a b
  t0=$(now_ns)
  (cd "$dir" && exec "$WINE" "$exe" >/dev/null 2>&1 &)
  for _ in $(seq 2000); do
    timeout 5 xdotool search --onlyvisible --classname "${exe,,}" >/dev/null 2>&1 && break
    sleep 0.005
  done
  t1=$(now_ns)
  START_MS=$(((t1 - t0) / 1000000))
  sleep 5  # past the start-up work
  pid=$(prefix_pid "$exe")
  [ -n "$pid" ] || { echo "cpu-use: $exe did not start" >&2; exit 1; }
  a=$(($(cpu_ns "$pid") + $(cpu_ns "$server")))
  sleep "$seconds"
  b=$(($(cpu_ns "$pid") + $(cpu_ns "$server")))
  CPU_NS=$((b - a))
  kill "$pid"
  while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  sleep 1
}

# One start of each first, so that no round pays for the first loading.
measure "$work/zentar" Zentar.exe >/dev/null
measure "$work/minclock" minclock.exe >/dev/null
# The programs Wine starts in the prefix (services, the desktop) keep the
# wineserver busy for a while; the rounds begin after 5 s in which it used
# under 5 ms (or after 3 minutes of waiting), so that neither program is
# charged for them.
for _ in $(seq 36); do
  a=$(cpu_ns "$server")
  sleep 5
  [ $(($(cpu_ns "$server") - a)) -lt 5000000 ] && break
done
echo "cpu-use: $rounds rounds of ${seconds} s each, by turns; Zentar's transparency level $alpha"
zentar_cpu=0 minimal_cpu=0 zentar_starts=() minimal_starts=()
for round in $(seq "$rounds"); do
  measure "$work/zentar" Zentar.exe
  zentar_cpu=$((zentar_cpu + CPU_NS)) zentar_starts+=("$START_MS") z=$CPU_NS zs=$START_MS
  measure "$work/minclock" minclock.exe
  minimal_cpu=$((minimal_cpu + CPU_NS)) minimal_starts+=("$START_MS")
  echo "  round $round: Zentar $((z / 1000000)) ms of CPU, start $zs ms;" \
    "minimal clock $((CPU_NS / 1000000)) ms of CPU, start $START_MS ms"
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
zm=$(median "${zentar_starts[@]}") mm=$(median "${minimal_starts[@]}")
total=$((rounds * seconds))
awk -v z="$zentar_cpu" -v m="$minimal_cpu" -v t="$total" -v zm="$zm" -v mm="$mm" 'BEGIN {
  printf "cpu-use: idle CPU with the wineserver: Zentar %.3f s (%.2f%%), minimal clock %.3f s (%.2f%%) in %d s each: ratio %.2f\n",
    z / 1e9, 100 * z / 1e9 / t, m / 1e9, 100 * m / 1e9 / t, t, z / m
  printf "cpu-use: start to visible window (median): Zentar %d ms, minimal clock %d ms: ratio %.2f\n", zm, mm, zm / mm
}'
