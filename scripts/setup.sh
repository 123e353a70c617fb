#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need (when missing),
# then configures and builds into build/ (or $BUILD_DIR). Extra CMake arguments pass through.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$here/build}"

packages=(build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libzip-dev libisal-dev libexpat1-dev libjemalloc-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk qt6-translations-l10n python3-openpyxl
  libreoffice-calc-nogui desktop-file-utils)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "安装依赖 / installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" >&2
