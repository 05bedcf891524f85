#!/bin/bash
# Packs the release: dist/Zentar-1.41.zip unpacks to one folder, Zentar-1.41/,
# holding the program, its default chime and the Chinese user guide. All state
# lives beside the program, so the folder runs wherever it is unpacked.
#
#   scripts/release.sh PRODUCT_EXE [OUT_DIR]     (`make release` builds the product first)
#
# The guide's name inside the zip is GBK, without the UTF-8 flag: that is how
# Windows' own zip folders (and 7-Zip or WinRAR) read names on a Chinese
# system, from XP on. Its text is GBK with CRLF line ends, as Notepad expects.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 PRODUCT_EXE [OUT_DIR]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "$1")
out=$(realpath -m "${2:-$root/dist}")
version=1.41
name=Zentar-$version

[ -f "$exe" ] || { echo "release: no product at $exe" >&2; exit 1; }
# Only the product as `make win32` checks it: 32-bit, stripped, small.
bash "$root/scripts/check-product.sh" "$exe" >/dev/null
for tool in zip unzip iconv; do
  command -v "$tool" >/dev/null || { echo "release: $tool is missing (make deps)" >&2; exit 1; }
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/zentar-release.XXXXXX")
trap 'rm -rf "$stage"' EXIT
dir=$stage/$name
mkdir -p "$dir"

guide=$(printf '使用说明.txt' | iconv -f UTF-8 -t GBK)

cp "$exe" "$dir/Zentar.exe"
bash "$root/scripts/make-chime.sh" "$dir/notify.mp3"
# CRLF first (GBK never uses the bytes CR or LF inside a character), then GBK;
# iconv stops with an error at any character GBK lacks.
sed 's/\r$//; s/$/\r/' "$root/docs/guide-zh.txt" | iconv -f UTF-8 -t GBK > "$dir/$guide"

# Reproducible: fixed dates (the last commit's, or SOURCE_DATE_EPOCH), fixed
# order, no Unix extra fields.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
touch -h -d "@$epoch" "$dir" "$dir/Zentar.exe" "$dir/notify.mp3" "$dir/$guide"
chmod 644 "$dir/Zentar.exe" "$dir/notify.mp3" "$dir/$guide"
chmod 755 "$dir"

mkdir -p "$out"
zipfile=$out/$name.zip
rm -f "$zipfile"
# The C locale keeps zip from adding a Unicode path field or the UTF-8 flag:
# the GBK bytes go in as they are.
(cd "$stage" && LC_ALL=C TZ=UTC zip -q -X -9 "$zipfile" \
  "$name/" "$name/Zentar.exe" "$name/notify.mp3" "$name/$guide")

# What a user unpacks must be exactly this.
expected=$(printf '%s\n' "$name/" "$name/Zentar.exe" "$name/notify.mp3" "$name/$guide")
actual=$(LC_ALL=C unzip -Z1 "$zipfile")
if [ "$actual" != "$expected" ]; then
  echo "release: unexpected entries in $zipfile:" >&2
  printf '%s\n' "$actual" >&2
  exit 1
fi
LC_ALL=C unzip -tq "$zipfile" >/dev/null
echo "release: $zipfile ($(stat -c %s "$zipfile") bytes)"
LC_ALL=C unzip -Z -l "$zipfile" | iconv -f GBK -t UTF-8
