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
export WINEPREFIX=$work/prefix HOME=$work/prefix/home
cleanup() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb
make_prefix "$WINEPREFIX"
echo "e2e: display $DISPLAY, prefix $WINEPREFIX"

timeout 1200 wine "$build/zentar_e2e.exe" "$(winepath -w "$build/Zentar.exe")" \
  "$(winepath -w "$work/scenarios")" "$@"
