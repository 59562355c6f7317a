#!/usr/bin/env bash
# The test command: installs what is missing, builds, prepares the Wine prefix and
# runs every test under CTest, two at a time. Extra arguments go to ctest (e.g. -R name).
set -euo pipefail
. "$(dirname "$0")/setup.sh"
cd "$BUILD_DIR"
ctest -j2 --output-on-failure "$@"
