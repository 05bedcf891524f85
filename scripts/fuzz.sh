#!/usr/bin/env bash
# Runs every reader's fuzzer for SECONDS on a scratch copy of its seed corpus.
# usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)

# New inputs libFuzzer finds go to the scratch copy, never the committed seeds.
work=$(mktemp -d "${TMPDIR:-/tmp}/zentar-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

failed=0
for name in dbdat note import holidays_json holidays_txt; do
  bin="$build/fuzz_$name"
  if [ ! -x "$bin" ]; then
    echo "fuzz_$name: missing $bin"
    failed=1
    continue
  fi
  corpus="$work/$name"
  mkdir -p "$corpus" "$work/$name-crash"
  cp "$root/fuzz/corpus/$name/." "$corpus/" -r
  log="$work/$name.log"
  "$bin" "$corpus" -max_total_time="$seconds" -max_len=200000 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/$name-crash/" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $rc -eq 0 ]; then
    echo "fuzz_$name: ${execs:-?} executions in ${seconds}s, no crash"
  else
    keep="$build/fuzz-crashes/$name"
    mkdir -p "$keep"
    cp "$work/$name-crash/." "$keep/" -r
    echo "fuzz_$name: FAILED (exit $rc) after ${execs:-?} executions; inputs kept in $keep"
    grep -m 20 -E 'ERROR|SUMMARY|runtime error|deadly signal' "$log" | sed 's/^/  /'
    failed=1
  fi
done
exit $failed
