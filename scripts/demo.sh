#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the end-to-end demo under
# Wine. build/demo is laid out like installed products: the host programs with
# Quorvel.dll, its configuration and companions; build/demo/brennic a product folder
# with Brennic.dll, its installation and upload modules and the packing program.
set -euo pipefail
. "$(dirname "$0")/setup.sh"
. "$root/scripts/demo/quorvel.sh"
. "$root/scripts/demo/brennic-errors.sh"
. "$root/scripts/demo/brennic-virus.sh"
echo
echo "== demo finished"
