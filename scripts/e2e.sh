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

# Everything a pass's scenarios play ends up in the recording $1, to prove
# that sound was real. A short latency: parec's default buffers about two
# seconds, which a pass that ends soon after its only sound never wrote out.
start_recording() {
  parec -d testsink.monitor --latency-msec=100 --file-format=wav "$1" 2>/dev/null &
  PAREC_PID=$!
}
# Fails when the scenarios that play a sound ran (their folders are in $2)
# and the recording $1 stayed silent.
check_recording() {
  kill -INT "$PAREC_PID" 2>/dev/null || true
  wait "$PAREC_PID" 2>/dev/null || true
  PAREC_PID=
  compgen -G "$2/alarm_sound*" >/dev/null || [ -d "$2/automatic_chime" ] || return 0
  local peak
  peak=$(sox "$1" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  if awk -v p="${peak:-0}" 'BEGIN {exit !(p > 0.1)}'; then
    echo "e2e: the alarm sound reached the audio device (peak amplitude $peak)"
  else
    echo "e2e: FAIL: no audio was produced while the alarm sound played (peak ${peak:-none})"
    return 1
  fi
}

# The sound device is there before Wine first starts in the new prefix.
start_null_sink "$work/pulse"
start_recording "$work/audio.wav"
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

check_recording "$work/audio.wav" "$work/scenarios" || status=1

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

# Once more on a Windows whose code page for non-Unicode programs is not 936
# (C.UTF-8 gives 1252, as an English Windows has), in a prefix made so: the
# scenarios that show or keep Chinese text, and those whose fonts come from
# other names there. The driver refuses to run it under 936.
english_windows=(dpi_* clock_face_at_a_chosen_time tooltip_shows_lunar_date list_shows_alarm_rows
  editor_opens_with_new_alarm_defaults editor_clear_and_refused_input calendar_shows_and_browses
  options_font_picker alarm_text_goes_to_memo memo_edit_reaches_note_file alarm_sound_from_chinese_folder
  chinese_folder_keeps_files_beside_program context_menu_from_keyboard_and_time_sync_item)
english_scenarios=()
for pattern in "${english_windows[@]}"; do
  if [ $# -eq 0 ]; then
    english_scenarios+=("$pattern")
  else
    for name in "$@"; do
      [[ $name == $pattern || $pattern == $name ]] && english_scenarios+=("$name")
    done
  fi
done
if ((${#english_scenarios[@]})); then
  wineserver -k 2>/dev/null || true
  if [ "$WINE_SESSION_OWN_DISPLAY" = 1 ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    start_xvfb
  fi
  export LC_ALL=C.UTF-8 LANG=C.UTF-8
  export WINEPREFIX=$work/prefix1252 HOME=$work/prefix1252/home
  make_prefix "$WINEPREFIX"
  echo "e2e: again on a non-Chinese Windows (LC_ALL=$LC_ALL), prefix $WINEPREFIX"
  start_recording "$work/audio1252.wav"
  shots=${E2E_SHOTS:+$work/shots1252}
  [ -n "$shots" ] && mkdir -p "$shots"
  E2E_LABEL=non-Chinese E2E_EXPECT_ACP=not936 E2E_DPI=96 E2E_SHOTS=$shots timeout 900 "$WINE" \
    "$build/zentar_e2e.exe" "$(winepath -w "$build/Zentar.exe")" "$(winepath -w "$work/scenarios1252")" \
    "${english_scenarios[@]}" || status=$?
  check_recording "$work/audio1252.wav" "$work/scenarios1252" || status=1
  # Only these two pictures go beside the Chinese ones.
  for name in alarm-list calendar; do
    if [ -n "$shots" ] && [ -f "$shots/$name.png" ]; then
      cp "$shots/$name.png" "$E2E_SHOTS/$name-english-windows.png"
    fi
  done
  wineserver -k 2>/dev/null || true
  export LC_ALL=zh_CN.UTF-8
  unset LANG
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
  # qemu runs every instruction of the 32-bit program: its waits are longer by
  # the factor measured against the 64-bit pass (README, Tests).
  E2E_SLOW=${E2E_I686_SLOW:-4} E2E_LABEL=i686 E2E_FAKETIME="$work/faketime/\$LIB/libfaketime.so.1" \
    E2E_SEAMS_PROGRAM="$(winepath -w "$(realpath "$E2E_I686_SEAMS")/Zentar.exe")" \
    timeout 2400 "$WINE" "$build/zentar_e2e.exe" "$(winepath -w "$i686/Zentar.exe")" \
    "$(winepath -w "$work/scenarios32")" "$@" || status=$?
fi
exit $status
