# Sourced by the scripts that run Wine: one 32-bit prefix per build tree,
# no debug chatter, no Mono or Gecko prompts, no display needed.
# BUILD_DIR may be set by the caller; it defaults to build/ beside scripts/.
: "${BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
