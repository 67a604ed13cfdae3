#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a throw-away root and runs the
# programs from there; checks the package's dependencies, desktop entry, archive file type and
# service unit. Usage: package_install.sh BUILD_DIR. Exit 77 (skipped) without dpkg-deb.
set -euo pipefail
build=$1
for tool in dpkg-deb cpack; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quorvel_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6core6 libqt6network6 libqt6serialport6 libpcre2-8-0; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/quorvel usr/bin/quorvel-sim usr/bin/quorvel-archive usr/share/applications/quorvel.desktop \
         usr/share/icons/hicolor/scalable/apps/quorvel.svg usr/share/mime/packages/quorvel.xml \
         usr/lib/systemd/system/quorvel-headless@.service; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
# Qt is a system library: the programs run from the root as they are.
version=$("$root/usr/bin/quorvel" --version)
[ "$version" = "quorvel $(dpkg-deb -f "$deb" Version)" ] || fail "quorvel --version said: $version"
"$root/usr/bin/quorvel-archive" --help | grep -q "quorvel-archive search" || fail "quorvel-archive --help"
echo "ran: $version"

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$root/usr/share/applications/quorvel.desktop" 2>&1) || fail "desktop entry: $out"
  [ -z "$out" ] || fail "desktop entry: $out"
else
  echo "SKIPPED: desktop-file-validate is not installed (package desktop-file-utils)"
fi

if command -v update-mime-database >/dev/null; then
  # It warns that the root is not searched; any other line is a fault of the type file.
  XDG_DATA_DIRS="$root/usr/share" update-mime-database "$root/usr/share/mime" 2>&1 | tee "$work/mime.log"
  [ ! -s "$work/mime.log" ] || fail "the archive file type has faults"
  grep -q 'application/x-quorvel-archive:\*\.krv' "$root/usr/share/mime/globs2" || fail "*.krv is not the archive type"
else
  echo "SKIPPED: update-mime-database is not installed (package shared-mime-info)"
fi

if command -v systemd-analyze >/dev/null; then
  # An instance of the template, naming the unpacked program so the check finds it executable.
  units=$work/units
  mkdir "$units"
  sed "s|/usr/bin/quorvel|$root/usr/bin/quorvel|" "$root/usr/lib/systemd/system/quorvel-headless@.service" \
    >"$units/quorvel-headless@.service"
  grep -q -- '--station %f' "$units/quorvel-headless@.service" || fail "the unit does not name the station"
  out=$(systemd-analyze verify "$units/quorvel-headless@srv-quorvel-north.service" 2>&1) || fail "unit: $out"
  [ -z "$out" ] || fail "unit: $out"
else
  echo "SKIPPED: systemd-analyze is not installed"
fi
echo "PASS"
