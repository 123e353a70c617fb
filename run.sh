#!/usr/bin/env bash
# Sets everything up and starts Lorvane办公助手.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
exec "${BUILD_DIR:-$here/build}/src/lorvane" "$@"
