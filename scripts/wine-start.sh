#!/usr/bin/env bash
# Starts the build tree's wineserver and Wine's own background programs (services,
# and the desktop process that the first program using the desktop starts),
# detached from the caller's output: started later by a test under CTest, they would
# inherit its output pipes and CTest would wait for them to the end of its time limit.
set -euo pipefail
BUILD_DIR="$(cd "${1:-$(dirname "$0")/../build}" && pwd)"
. "$(dirname "$0")/wine-env.sh"
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
if [ -f "$BUILD_DIR/bin/desktop_warmup.exe" ]; then
  # Stays until the wineserver is stopped (wineserver -k).
  (setsid wine "$BUILD_DIR/bin/desktop_warmup.exe" hold </dev/null >/dev/null 2>&1 &)
  sleep 1
fi
