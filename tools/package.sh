#!/usr/bin/env bash
# Builds everything, the setup program build/package/corvex-setup-1.36.1.exe (or under $BUILD_DIR) included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh"
echo "setup: $build/package/corvex-setup-1.36.1.exe"
