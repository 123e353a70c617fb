#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 system and checks that it works there: a
# minimal bookworm made with debootstrap in a folder (kept for the next run), the package
# installed with apt, which fetches what it depends on, then `lorvane --help`, the desktop entry,
# and the desktop program started from the installed command (offscreen, for a few seconds).
#
#   sudo scripts/check_fresh_install.sh [BUILD_DIR] [ROOT]
#
# Needs root (debootstrap, chroot) and the Debian mirror; downloads about 400 packages the
# first time. Not part of the test suite for that reason.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:-$here/build}"
root="${2:-$here/build-fresh-root}"
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
[ -x "$root/usr/bin/apt-get" ] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian

out="$(mktemp -d)"
trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/lorvane_*.deb)
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"

chroot "$root" /bin/bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb")" \
  || fail "apt could not install the package"
chroot "$root" lorvane --help | grep -q "用法" || fail "lorvane --help"
chroot "$root" test -s /usr/share/applications/lorvane.desktop || fail "no desktop entry"
set +e
chroot "$root" /usr/bin/env QT_QPA_PLATFORM=offscreen HOME=/tmp timeout 5 lorvane 2>"$out/desktop.err"
status=$?
set -e
[ "$status" = 124 ] || fail "the desktop program did not start ($status): $(cat "$out/desktop.err")"
echo "fresh install ok: $(basename "$deb")"
