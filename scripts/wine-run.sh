#!/usr/bin/env bash
# Emulator for CTest: runs one Windows program under the build tree's Wine prefix.
# The build tree is found from the program's path (<build>/bin/x.exe).
set -u
prog="$1"; shift
BUILD_DIR="$(cd "$(dirname "$prog")/.." && pwd)"
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$prog" "$@"
