#!/usr/bin/env bash
# Builds the Debian package from the build tree given, unpacks it into a scratch root and checks
# what a user's system gets: the program, its desktop entry and icons, the tutorial, the declared
# dependencies, and that the installed program runs.
set -euo pipefail
build_dir="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build_dir" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/lorvane_*.deb)

[ "$(dpkg-deb -f "$deb" Package)" = lorvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = office ] || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libzip4 libexpat1 libisal2 qt6-qpa-plugins fonts-noto-cjk qt6-translations-l10n; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *libreoffice-calc* ]] || fail "LibreOffice is not recommended"

root="$scratch/root"
dpkg -x "$deb" "$root"
for f in usr/bin/lorvane usr/libexec/lorvane/lorvane-desktop usr/share/applications/lorvane.desktop usr/share/icons/hicolor/scalable/apps/lorvane.svg \
         usr/share/doc/lorvane/jiaocheng.html usr/share/doc/lorvane/copyright; do
  [ -s "$root/$f" ] || fail "missing $f"
done
# Each bitmap icon is the size of the folder it is in (PNG width and height at bytes 16..23).
for size in 16 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/lorvane.png"
  [ -s "$png" ] || fail "missing icon $size"
  dims=$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')
  [ "$dims" = " $size $size" ] || fail "icon ${size}x${size} is$dims"
done
# Nothing else: no tests, benchmarks or build files in the package.
extra=$(cd "$root" && find . -type f | grep -v -e '^./usr/bin/lorvane$' -e '^./usr/libexec/lorvane/lorvane-desktop$' -e '^./usr/share/applications/' \
        -e '^./usr/share/icons/hicolor/' -e '^./usr/share/doc/lorvane/' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

entry="$root/usr/share/applications/lorvane.desktop"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
grep -qx 'Name=Lorvane办公助手' "$entry" || fail "desktop entry name"
grep -q '^Categories=.*Office;' "$entry" || fail "desktop entry category"
grep -qx 'Exec=lorvane' "$entry" || fail "desktop entry command"
! grep -q '^MimeType=' "$entry" || fail "the entry claims workbook files"

help=$("$root/usr/bin/lorvane" --help) || fail "installed program: --help failed"
[[ "$help" == *"用法"* ]] || fail "installed program: no usage text"
# The commands need no GUI library; the desktop program is found from the installed command.
! objdump -p "$root/usr/bin/lorvane" | grep -q 'NEEDED.*libQt6' || fail "lorvane links the GUI libraries"
set +e
QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/lorvane" 2>"$scratch/desktop.err"
status=$?
set -e
[ "$status" = 124 ] || fail "installed program: the desktop did not start ($status): $(cat "$scratch/desktop.err")"
echo "package ok: $(basename "$deb")"
