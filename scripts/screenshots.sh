#!/usr/bin/env bash
# Renders every window to PNG in docs/screenshots/ on Qt's offscreen platform (CJK font: fonts-noto-cjk).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target desktop_screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/desktop_screenshots" "$here/docs/screenshots"
