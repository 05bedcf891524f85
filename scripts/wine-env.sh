# Sourced by the run, screenshot, measuring and test scripts: the environment
# Wine needs here and helpers for a private X display and Wine prefix.

export LC_ALL=zh_CN.UTF-8          # code page 936 for every ANSI call
export WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export TZ=${TZ:-CST-8}             # POSIX form; Wine follows it per process
# With 32-bit Wine present, /usr/bin/wine starts every program through the
# 32-bit loader (under qemu here: a second slower, and a wrapper's PID). The
# 64-bit loader starts 64-bit programs itself and hands 32-bit ones to the
# other loader, which it finds from WINELOADER.
[ -x /usr/lib/wine/wine64 ] && export WINELOADER=/usr/lib/wine/wine64
WINE=${WINELOADER:-wine}
wine() { "$WINE" "$@"; }
winepath() { "$WINE" winepath.exe "$@"; }

# Starts Xvfb on the first free display from :90 and exports DISPLAY; the
# screen is $1 (default 1280x800). Sets XVFB_PID so the caller can stop it.
start_xvfb() {
  local n=90 size=${1:-1280x800}
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -e /tmp/.X11-unix/X$n ] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
}

# Creates a ready Wine prefix in $1 (skipped when it is already ready at that
# DPI). The screen runs at DPI $2: 96 (100 %, the default) or more, say 144
# for 150 %.
make_prefix() {
  local prefix=$1 dpi=${2:-96} ready
  ready=$(cat "$prefix/.zentar-ready" 2>/dev/null || echo none)
  [ "${ready:-96}" = "$dpi" ] && return 0
  rm -rf "$prefix"
  mkdir -p "$prefix/home"
  (
    export WINEPREFIX=$prefix HOME=$prefix/home
    timeout 120 "$WINE" wineboot.exe -i >/dev/null 2>&1
    # Without a window manager, hiding a window would wait for an answer that never comes.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # 宋体 with the ANSI charset falls back to a Latin face and shows boxes.
    for face in SimSun NSimSun 宋体; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
    wine reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1
    if [ "$dpi" != 96 ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    fi
    timeout 60 wineserver -w
  )
  echo disable > "$prefix/.update-timestamp"
  echo "$dpi" > "$prefix/.zentar-ready"
}

# A script's own Wine session: exports WINEPREFIX=$1 with HOME inside it,
# starts a private Xvfb display, makes the prefix ready, and at exit ends the
# prefix's programs and the display, then runs the optional command $2 (the
# script's own clean-up). With --any-display first, a display already named
# by DISPLAY is used instead, and nothing is ended at exit: the program stays
# on the user's screen. Sets WINE_SESSION_OWN_DISPLAY to 1 or 0.
wine_session() {
  local any_display=0
  if [ "$1" = --any-display ]; then
    any_display=1
    shift
  fi
  export WINEPREFIX=$1 HOME=$1/home
  WINE_SESSION_AT_EXIT=${2:-}
  WINE_SESSION_OWN_DISPLAY=0
  trap end_wine_session EXIT
  if [ "$any_display" = 0 ] || [ -z "${DISPLAY:-}" ]; then
    WINE_SESSION_OWN_DISPLAY=1
    start_xvfb
  fi
  make_prefix "$WINEPREFIX"
}

end_wine_session() {
  if [ "$WINE_SESSION_OWN_DISPLAY" = 1 ]; then
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  fi
  if [ -n "$WINE_SESSION_AT_EXIT" ]; then
    eval "$WINE_SESSION_AT_EXIT"
  fi
}

# A PulseAudio null sink in folder $1: a real-time audio device for Wine whose
# output can be recorded from testsink.monitor. Sets PULSE_PID, PULSE_SERVER.
start_null_sink() {
  local dir=$1
  mkdir -p "$dir"
  cat > "$dir/test.pa" <<PA
load-module module-null-sink sink_name=testsink rate=44100 channels=2
set-default-sink testsink
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
PA
  HOME=$dir XDG_RUNTIME_DIR=$dir pulseaudio --daemonize=no --exit-idle-time=-1 -n -F "$dir/test.pa" \
    >/dev/null 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER=unix:$dir/native
  for _ in $(seq 100); do
    [ -S "$dir/native" ] && break
    sleep 0.1
  done
}

# A full-screen picture as the desktop, mapped before any program window so
# that every later window lies above it (there is no window manager).
show_backdrop() {
  display -geometry 1280x800+0+0 -immutable "$1" 2>/dev/null &
  for _ in $(seq 100); do
    xdotool search --name 'ImageMagick' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.5
}
