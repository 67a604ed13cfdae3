#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a throw-away root and runs the
# programs from there; checks the package's dependencies, desktop entry, archive file type,
# service unit and its user, manual pages, and what lintian says of it. Also installs the tree
# with `cmake --install`, and configures the sources once more (without the tests) to see the
# dependencies named when dpkg-shlibdeps is missing. Usage: package_install.sh BUILD_DIR SOURCE_DIR.
# Exit 77 (skipped) without dpkg-deb.
set -euo pipefail
build=$1
source=$2
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
         usr/lib/systemd/system/quorvel-headless@.service usr/lib/sysusers.d/quorvel.conf \
         usr/share/doc/quorvel/copyright usr/share/doc/quorvel/changelog.gz \
         usr/share/doc/quorvel/examples/60-quorvel-serial.rules usr/share/man/man1/quorvel.1.gz \
         usr/share/man/man1/quorvel-archive.1.gz usr/share/man/man1/quorvel-sim.1.gz; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
# The udev rule is an example: nothing of it acts until an administrator copies it.
[ ! -e "$root/usr/lib/udev" ] && [ ! -e "$root/lib/udev" ] || fail "the package installs udev rules"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || fail "man $page"
  [ -z "$out" ] || fail "manual page $page: $out"
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
  # The unit names its manual page, which verify looks up: the one in the package.
  out=$(MANPATH=$root/usr/share/man systemd-analyze verify "$units/quorvel-headless@srv-quorvel-north.service" 2>&1) \
    || fail "unit: $out"
  [ -z "$out" ] || fail "unit: $out"
  grep -qx 'User=quorvel' "$units/quorvel-headless@.service" || fail "the unit does not run as quorvel"
  # What the unit leaves open, scored by systemd: 10 is everything, 2.0 the most this service may have.
  security=$(systemd-analyze security --offline=yes "$units/quorvel-headless@srv-quorvel-north.service" 2>&1) \
    || fail "security: $security"
  exposure=$(sed -n 's/.*Overall exposure level for .*: \([0-9.]*\) .*/\1/p' <<<"$security")
  echo "exposure: $exposure"
  [ -n "$exposure" ] && awk -v e="$exposure" 'BEGIN { exit !(e <= 2.0) }' \
    || { grep '✗' <<<"$security"; fail "exposure ${exposure:-unknown} is above 2.0"; }
else
  echo "SKIPPED: systemd-analyze is not installed"
fi

if command -v systemd-sysusers >/dev/null; then
  # As the package's postinst makes the user, in the unpacked root: a system user in dialout.
  mkdir -p "$root/etc"
  grep -E '^(root|dialout):' /etc/group >"$root/etc/group"
  grep '^root:' /etc/passwd >"$root/etc/passwd"
  dpkg-deb -e "$deb" "$work/control"
  grep -q '^  systemd-sysusers quorvel.conf$' "$work/control/postinst" || fail "the postinst does not make the user"
  systemd-sysusers --root="$root" quorvel.conf >/dev/null 2>&1 || fail "systemd-sysusers"
  grep -q '^quorvel:x:[0-9]*:[0-9]*:.*:/usr/sbin/nologin$' "$root/etc/passwd" || fail "no user quorvel"
  grep -q '^dialout:.*quorvel' "$root/etc/group" || fail "quorvel is not in dialout"
else
  echo "SKIPPED: systemd-sysusers is not installed"
fi

if command -v lintian >/dev/null; then
  # Errors fail; so do the warnings of a package without its documents or hardening.
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
  grep -v 'running with root privileges' "$work/lintian.log" || true
  ! grep -qE '^E: ' "$work/lintian.log" || fail "lintian reports errors"
  ! grep -qE 'hardening-no-|binary-without-manpage|no-copyright-file|changelog-file-missing' "$work/lintian.log" \
    || fail "lintian: documents or hardening missing"
else
  echo "SKIPPED: lintian is not installed"
fi

# An install from the tree takes the unit made when the tree was configured, naming the program
# under its prefix, and writes nothing into the tree's packaging (other tests may write elsewhere).
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
touch "$work/before-install"
DESTDIR=$work/dest cmake --install "$build" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install"; }
unit=$work/dest$prefix/lib/systemd/system/quorvel-headless@.service
grep -qx "ExecStart=$prefix/bin/quorvel --headless --station %f" "$unit" || fail "installed unit: $(grep ExecStart "$unit")"
written=$(find "$build/packaging" -newer "$work/before-install" -type f)
[ -z "$written" ] || fail "installing wrote into the build tree: $written"
cmake --install "$build" --prefix "$work/elsewhere" >"$work/install.log" 2>&1 || fail "install elsewhere"
grep -q 'No service unit installed' "$work/install.log" || fail "an install elsewhere does not say the unit is missing"

# Without dpkg-shlibdeps the package names the libraries itself: every Qt library the programs use.
# Configured as a build for the package alone may be, without the tests.
cmake -S "$source" -B "$work/fallback" -G Ninja -DBUILD_TESTING=OFF -DDPKG_SHLIBDEPS=/nonexistent/dpkg-shlibdeps \
  >/dev/null 2>&1 || fail "configure without dpkg-shlibdeps"
fallback=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_DEPENDS "\(.*\)")$/\1/p' "$work/fallback/CPackConfig.cmake")
for lib in libqt6core6 libqt6network6 libqt6serialport6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libpcre2-8-0; do
  grep -q "$lib" <<<"$fallback" || fail "without dpkg-shlibdeps the package does not depend on $lib"
done
echo "PASS"
