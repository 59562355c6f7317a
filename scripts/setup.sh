# Sourced by the demo and the test command: installs what is missing, builds,
# prepares the Wine prefix and starts the wineserver, which the caller's exit stops.
# Leaves $root, $BUILD_DIR and the Wine environment set.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
BUILD_DIR="$root/build"
"$root/scripts/wine-prefix.sh" "$BUILD_DIR"
. "$root/scripts/wine-env.sh"
"$root/scripts/wine-start.sh" "$BUILD_DIR"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
