#!/usr/bin/env bash
# Sets everything up and runs every test (windows on Qt's offscreen platform).
# With SANITIZE=1 the build uses AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
extra=()
if [ "${SANITIZE:-0}" = 1 ]; then
  export BUILD_DIR="${BUILD_DIR:-$here/build-asan}" BUILD_TYPE=Debug
  extra+=(-DLORVANE_SANITIZE=ON)
fi
"$here/scripts/setup.sh" "${extra[@]}"
export QT_QPA_PLATFORM=offscreen
cd "${BUILD_DIR:-$here/build}"
ctest --output-on-failure -j"$(nproc)" "$@"
