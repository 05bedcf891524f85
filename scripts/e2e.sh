#!/bin/bash
# Runs the end-to-end scenarios: a private Xvfb display, a private Wine prefix,
# the Windows-side driver, and everything stopped afterwards.
# Usage: scripts/e2e.sh BUILD_DIR [SCENARIO...]
set -euo pipefail
build=$(realpath "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"

work=$(mktemp -d /tmp/zentar-e2e.XXXXXX)
cleanup() {
  [ -n "${PAREC_PID:-}" ] && kill "$PAREC_PID" 2>/dev/null || true
  [ -n "${PULSE_PID:-}" ] && kill "$PULSE_PID" 2>/dev/null || true
  [ -n "${E2E_KEEP:-}" ] && echo "e2e: kept $work" || rm -rf "$work"
}
trap cleanup EXIT

# The sound device is there before Wine first starts in the new prefix.
start_null_sink "$work/pulse"
# Everything the scenarios play ends up here, to prove that sound was real.
parec -d testsink.monitor --file-format=wav "$work/audio.wav" 2>/dev/null &
PAREC_PID=$!
wine_session "$work/prefix" cleanup
if [ -n "${E2E_SHOTS:-}" ]; then
  # Pictures for people; the driver paints a desktop behind the windows.
  mkdir -p "$E2E_SHOTS"
  export E2E_SHOTS=$(realpath "$E2E_SHOTS")
fi
echo "e2e: display $DISPLAY, prefix $WINEPREFIX"
# The release's own chime, made the way `make release` makes it, for the automatic alarm.
bash "$root/scripts/make-chime.sh" "$work/notify.mp3"
export E2E_CHIME=$(winepath -w "$work/notify.mp3")

export E2E_WINE=$WINE
status=0
E2E_DPI=96 timeout 1200 "$WINE" "$build/zentar_e2e.exe" "$(winepath -w "$build/Zentar.exe")" \
  "$(winepath -w "$work/scenarios")" "$@" || status=$?

kill -INT "$PAREC_PID" 2>/dev/null || true
wait "$PAREC_PID" 2>/dev/null || true
PAREC_PID=
if [ -d "$work/scenarios/alarm_sound" ] || [ -d "$work/scenarios/automatic_chime" ]; then
  peak=$(sox "$work/audio.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  if awk -v p="${peak:-0}" 'BEGIN {exit !(p > 0.1)}'; then
    echo "e2e: the alarm sound reached the audio device (peak amplitude $peak)"
  else
    echo "e2e: FAIL: no audio was produced while the alarm sound played (peak ${peak:-none})"
    status=1
  fi
fi

# The scenarios named dpi_* once more on a screen at 150 %: a second prefix
# whose LogPixels is 144, on a 1920 x 1080 display as laptops at 150 % have.
# Only those, so that the extra pass stays short.
dpi_scenarios=()
if [ $# -eq 0 ]; then
  dpi_scenarios=('dpi_*')
else
  for name in "$@"; do
    case "$name" in dpi_*) dpi_scenarios+=("$name") ;; esac
  done
fi
if ((${#dpi_scenarios[@]})); then
  wineserver -k 2>/dev/null || true
  if [ "$WINE_SESSION_OWN_DISPLAY" = 1 ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    start_xvfb 1920x1080
  fi
  export WINEPREFIX=$work/prefix144 HOME=$work/prefix144/home
  make_prefix "$WINEPREFIX" 144
  echo "e2e: again at 144 DPI, prefix $WINEPREFIX"
  E2E_DPI=144 timeout 600 "$WINE" "$build/zentar_e2e.exe" "$(winepath -w "$build/Zentar.exe")" \
    "$(winepath -w "$work/scenarios144")" "${dpi_scenarios[@]}" || status=$?
fi

# Once more against the 32-bit product itself, in the 96-DPI prefix, where the
# 64-bit driver drives it through WoW64 (qemu runs the 32-bit code). Scenarios
# that read the recording seams run a 32-bit build that has them.
if [ -n "${E2E_I686:-}" ]; then
  i686=$(realpath "$E2E_I686")
  wineserver -k 2>/dev/null || true
  if [ "$WINE_SESSION_OWN_DISPLAY" = 1 ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    start_xvfb
  fi
  export WINEPREFIX=$work/prefix HOME=$work/prefix/home
  # libfaketime's i386 build misses the 64-bit time calls; this one is built here.
  mkdir -p "$work/faketime/lib/i386-linux-gnu" "$work/faketime/lib/x86_64-linux-gnu"
  gcc -m32 -shared -fPIC -O2 -o "$work/faketime/lib/i386-linux-gnu/libfaketime.so.1" \
    "$root/tests/e2e/faketime32.c" -ldl -lpthread
  ln -sf /usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 "$work/faketime/lib/x86_64-linux-gnu/"
  echo "e2e: again against the i686 product $i686/Zentar.exe, prefix $WINEPREFIX"
  E2E_LABEL=i686 E2E_FAKETIME="$work/faketime/\$LIB/libfaketime.so.1" \
    E2E_SEAMS_PROGRAM="$(winepath -w "$(realpath "$E2E_I686_SEAMS")/Zentar.exe")" \
    timeout 2400 "$WINE" "$build/zentar_e2e.exe" "$(winepath -w "$i686/Zentar.exe")" \
    "$(winepath -w "$work/scenarios32")" "$@" || status=$?
fi
exit $status
