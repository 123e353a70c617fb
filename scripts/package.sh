#!/usr/bin/env bash
# Builds the Debian package lorvane_<version>_<arch>.deb into dist/ (or $DIST_DIR).
# Install it with: sudo apt install ./dist/lorvane_*.deb
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$here/build-package}"
dist_dir="${DIST_DIR:-$here/dist}"
BUILD_DIR="$build_dir" BUILD_TYPE=Release "$here/scripts/setup.sh" -DLORVANE_TESTS=OFF -DLORVANE_BENCH=OFF
mkdir -p "$dist_dir"
(cd "$build_dir" && cpack -G DEB -B "$dist_dir/.cpack" >&2)
mv "$dist_dir"/.cpack/lorvane_*.deb "$dist_dir"/
rm -rf "$dist_dir/.cpack"
ls "$dist_dir"/lorvane_*.deb
