#!/usr/bin/env bash
# Creates the build tree's 32-bit Wine prefix once: headless, and with the crash
# debugger switched off so that an unhandled crash ends the process at once instead
# of starting winedbg and waiting for a person.
set -euo pipefail
BUILD_DIR="$(cd "${1:-$(dirname "$0")/../build}" && pwd)"
. "$(dirname "$0")/wine-env.sh"

if [ -f "$WINEPREFIX/.quorvel-ready" ]; then exit 0; fi
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
wine reg add "$aedebug" /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1
wine reg delete "$aedebug" /v Debugger /f >/dev/null 2>&1 || true
wineserver -w
touch "$WINEPREFIX/.quorvel-ready"
echo "wine prefix ready: $WINEPREFIX"
