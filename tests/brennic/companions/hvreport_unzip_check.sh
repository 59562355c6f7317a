#!/usr/bin/env bash
# Packs a folder with HvReport.exe under Wine, then lets unzip test the archive and
# compares every entry with its source file.
set -euo pipefail
hvreport="$1"
unzip="$2"
BUILD_DIR="$(cd "$(dirname "$hvreport")/.." && pwd)"
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wine-env.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in/sub"
printf '<errList cid="X" >\r\n</errList>\r\n' > "$work/in/a.exe.xml"
head -c 70000 /dev/urandom > "$work/in/sub/binary.bin"
: > "$work/in/empty.txt"

wine "$hvreport" -MakeZip "$(winepath -w "$work/out.zip")" -From "$(winepath -w "$work/in")" -Keep
"$unzip" -tq "$work/out.zip"
for f in a.exe.xml sub/binary.bin empty.txt; do
  cmp <("$unzip" -p "$work/out.zip" "$f") "$work/in/$f"
done
[ "$("$unzip" -Z1 "$work/out.zip" | sort | tr '\n' ' ')" = "a.exe.xml empty.txt sub/binary.bin " ]
echo "archive ok"
