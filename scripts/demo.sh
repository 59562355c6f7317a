#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the demo under Wine.
# The demo folder build/demo is laid out like an installed product: the host
# program with Quorvel.dll, its configuration and the companion programs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
BUILD_DIR="$root/build"
"$root/scripts/wine-prefix.sh" "$BUILD_DIR"
. "$root/scripts/wine-env.sh"
"$root/scripts/wine-start.sh" "$BUILD_DIR"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

demo="$BUILD_DIR/demo"
rm -rf "$demo" && mkdir -p "$demo"
cp "$BUILD_DIR/bin/demo_host.exe" "$BUILD_DIR/bin/Quorvel.dll" "$root/demo/QuorvelConfig.xml" "$demo/"
for companion in QuorvelClient.exe QuorvelLauncher.exe quorvel_report.exe; do
  [ -f "$BUILD_DIR/bin/$companion" ] && cp "$BUILD_DIR/bin/$companion" "$demo/"
done
# The product's installer creates the report folder's parent.
wine cmd /c 'mkdir "%LOCALAPPDATA%\Marlune\Quorvel"' >/dev/null 2>&1 || true

echo "== Quorvel: a host started from a Windows parent (cmd) initializes the reporter"
cd "$demo"
wine cmd /c demo_host.exe
