#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine:
# the i686 mingw-w64 cross compiler, 32-bit Wine, CMake and GoogleTest's sources.
# Does nothing for packages that are already present.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi
for p in g++-mingw-w64-i686 wine wine32:i386 cmake googletest make; do
  have "$p" || need+=("$p")
done
# The zip check in the tests reads archives with unzip.
have unzip || need+=(unzip)

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
echo "dependencies ready"
