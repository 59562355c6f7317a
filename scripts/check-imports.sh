#!/usr/bin/env bash
# Fails when a DLL imports anything but Windows system DLLs (for example a
# compiler runtime that would have to be shipped beside it).
set -euo pipefail
dll="$1"
allowed='^(kernel32|user32|advapi32|ole32|oleaut32|shell32|shlwapi|version|psapi|rpcrt4|msvcrt|dbghelp)\.dll$'
imports=$(i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "$(basename "$dll") imports:" $imports
bad=$(echo "$imports" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "not a system DLL: $bad"
  exit 1
fi
