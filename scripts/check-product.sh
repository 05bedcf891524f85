#!/bin/bash
# The product must be a 32-bit GUI program that needs nothing beyond Windows'
# own DLLs, stays small (stripped, no iostreams) and says how big it is.
set -euo pipefail
exe=$1
kind=$(file -b "$exe")
case "$kind" in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) echo "check-product: $exe is '$kind', not a PE32 GUI program" >&2; exit 1 ;;
esac
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|advapi32|winmm|msvfw32|msvcrt|ole32|oleaut32|shlwapi)\.dll$'
bad=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "check-product: $exe imports non-system DLLs: $bad" >&2
  exit 1
fi
# The type name of ios_base is in every program that links the streams.
if grep -q 'St8ios_base' "$exe"; then
  echo "check-product: $exe links iostreams" >&2
  exit 1
fi
limit=$((600 * 1024))
size=$(stat -c %s "$exe")
if [ "$size" -gt "$limit" ]; then
  echo "check-product: $exe is $size bytes, more than $limit" >&2
  exit 1
fi
echo "check-product: $(basename "$exe"): $kind, system DLLs only, $size bytes ($((size / 1024)) KB)"
