#!/usr/bin/env bash
# The test command: installs what is missing, builds, prepares the Wine prefix and
# runs every test under CTest. Extra arguments go to ctest (e.g. -R name).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
BUILD_DIR="$root/build"
"$root/scripts/wine-prefix.sh" "$BUILD_DIR"
. "$root/scripts/wine-env.sh"

# One wineserver for the whole run, stopped by this script whatever happens.
"$root/scripts/wine-start.sh" "$BUILD_DIR"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
cd "$BUILD_DIR"
ctest -j2 --output-on-failure "$@"
