#!/bin/bash
# Synthesises Zentar's own default sound, notify.mp3: a soft two-tone chime
# ("ding-dong", E5 then C5, a falling major third) of two seconds. Made from
# sox tones and encoded with lame, never downloaded. The same tools give the
# same bytes on every run (no dither, repeatable random numbers).
# Usage: scripts/make-chime.sh OUT.mp3
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUT.mp3" >&2
  exit 2
fi
out=$1
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "make-chime: $tool is missing (make deps)" >&2; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zentar-chime.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# One bell-like note: a fundamental with a quieter octave and twelfth, a
# 10 ms attack and a long fade that lets it ring out. $1 frequency (Hz),
# $2 length (s), $3 output file.
note() {
  local f=$1 len=$2 file=$3
  local f2 f3
  f2=$(awk -v f="$f" 'BEGIN {printf "%.2f", 2 * f}')
  f3=$(awk -v f="$f" 'BEGIN {printf "%.2f", 3 * f}')
  sox -R -D -r 44100 -c 3 -n -b 16 -c 1 "$file" synth "$len" sine "$f" sine "$f2" sine "$f3" \
    remix 1v0.62,2v0.25,3v0.08 fade q 0.01 "$len" "$(awk -v l="$len" 'BEGIN {print l - 0.02}')"
}

note 659.26 1.25 "$tmp/ding.wav"
note 523.25 1.45 "$tmp/dong.wav"
# The second tone enters at 0.55 s while the first still rings: 2.0 s in all.
sox -R -D "$tmp/dong.wav" "$tmp/dong-late.wav" pad 0.55 0
sox -R -D -m "$tmp/ding.wav" "$tmp/dong-late.wav" -b 16 "$tmp/chime.wav" norm -4

# Mono, 44.1 kHz, 96 kbit/s constant rate: small, and every MP3 decoder plays it.
lame --quiet --nohist -m m -b 96 --noreplaygain "$tmp/chime.wav" "$tmp/notify.mp3"
mkdir -p "$(dirname "$out")"
mv "$tmp/notify.mp3" "$out"
