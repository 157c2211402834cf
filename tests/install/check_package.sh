#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: every file `cmake --install` installs is
# in it, below /usr; it depends on the libraries and the Qt platform plugins the programs load;
# its maintainer scripts are there and sound. The package is built with no locale set.
#   check_package.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# The listings below compare Chinese file names: they run in a UTF-8 locale.
if [ "$(locale charmap 2>/dev/null || true)" != "UTF-8" ]; then
    exec "$root/scripts/with-utf8-locale" bash "$0" "$@"
fi
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/root/usr" >/dev/null
# Packaged as ./dev package does it, with no locale set (as in bare containers and cron): the
# help document's Chinese name must still get into the archive.
(cd "$build" && env -u LANG -u LANGUAGE -u LC_ALL -u LC_CTYPE \
    "$root/scripts/with-utf8-locale" cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/*.deb)
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"

(cd "$work/root" && find . \( -type f -o -type l \) | sort) > "$work/installed"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\([^.]\)|./\1|' | sort \
    > "$work/packaged"
missing=$(comm -23 "$work/installed" "$work/packaged")
[ -z "$missing" ] || fail "installed but not packaged: $missing"
extra=$(comm -13 "$work/installed" "$work/packaged")
[ -z "$extra" ] || fail "packaged but not installed: $extra"
echo "$(wc -l < "$work/packaged") files, the same as the installation"
# The schema and the roles of a library on a PostgreSQL server, for its administrator.
for sql in qxlog-library-1.sql qxlog-library-roles.sql; do
    grep -qx "./usr/share/qxlog/sql/$sql" "$work/packaged" || fail "$sql is not in the package"
done

depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6printsupport6 libhidapi-hidraw0 libudev1 libxlsxwriter libpq5 \
            qt6-qpa-plugins shared-mime-info fonts-wqy-microhei; do
    grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
echo "Depends: $depends"

dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || fail "no executable $script"
    sh -n "$work/control/$script" || fail "$script does not parse"
done
grep -q update-mime-database "$work/control/postinst" || fail "postinst leaves the MIME database"
grep -q "udevadm control --reload-rules" "$work/control/postinst" \
    || fail "postinst does not reload the udev rules"
echo "package checks passed"
