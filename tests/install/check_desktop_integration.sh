#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop makes of it: the desktop
# entry and the AppStream component validate, the record file type is valid and recognises
# record files of every instrument type by name and by content, the installed program finds
# its help document, the man pages are there, and the systemd units of a collecting and a
# monitoring PC verify.
#   check_desktop_integration.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
app_id=example.vornak.QXLogger
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/qxlog bin/qxlog-cli share/qxlog/帮助.mht share/qxlog/Help.mht \
         share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
         share/mime/packages/$app_id.xml \
         share/icons/hicolor/scalable/apps/$app_id.svg lib/udev/rules.d/70-qxlog.rules \
         share/man/man1/qxlog.1.gz share/man/man1/qxlog-cli.1.gz \
         share/man/zh_CN/man1/qxlog-cli.1.gz share/man/zh_CN/man1/qxlog.1.gz share/doc/qxlog/README.md \
         share/doc/qxlog/copyright share/doc/qxlog/changelog.gz \
         share/doc/qxlog/examples/qxlog-collect.service \
         share/doc/qxlog/examples/qxlog-collect.timer; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# man1 is what man shows in the C locale: the English pages; zh_CN/man1 the Chinese ones.
# grep reads each page to its end (-c, not -q): stopping at the match would leave zcat to die
# of SIGPIPE, which pipefail counts as a failure.
for page in man1/qxlog man1/qxlog-cli zh_CN/man1/qxlog zh_CN/man1/qxlog-cli; do
    zcat "$prefix/share/man/$page.1.gz" | grep -c '^\.TH ' >/dev/null ||
        fail "$page.1.gz is no man page"
done
zcat "$prefix/share/man/man1/qxlog-cli.1.gz" | grep -c '^\.SH NAME' >/dev/null ||
    fail "man1/qxlog-cli.1.gz is not the English page"
zcat "$prefix/share/man/zh_CN/man1/qxlog-cli.1.gz" | grep -c '^\.SH 名称' >/dev/null ||
    fail "zh_CN/man1/qxlog-cli.1.gz is not the Chinese page"
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    # The PNG header's width and height (bytes 16..23, big-endian) match the folder's size.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "icon in ${size}x${size} is $dims"
done

echo "== desktop-file-validate"
desktop-file-validate "$prefix/share/applications/$app_id.desktop"
grep -q '^MimeType=application/x-qxrec;$' "$prefix/share/applications/$app_id.desktop" \
    || fail "the desktop entry does not name the record file type"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate-tree --no-net "$prefix"

echo "== MIME type definition"
xmllint --noout "$prefix/share/mime/packages/$app_id.xml"
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg"
# update-mime-database checks the definition's elements and attributes; it warns on stderr.
complaints=$(XDG_DATA_DIRS="$prefix/share:/usr/share" update-mime-database "$prefix/share/mime" 2>&1) || fail "update-mime-database: $complaints"
[ -z "$complaints" ] || fail "update-mime-database: $complaints"
grep -q '^application/x-qxrec$' "$prefix/share/mime/types" || fail "update-mime-database lost the type"

filetype() {
    env XDG_CURRENT_DESKTOP=X-Generic XDG_DATA_HOME="$prefix/share" \
        XDG_DATA_DIRS="$prefix/share:/usr/share" xdg-mime query filetype "$1"
}
mkdir "$work/records"
for model in QX420 QX450 QX430 QX420B QX440 QX7200 QX390 QX7000 QX410 QX460 QX610; do
    "$prefix/bin/qxlog-cli" --simulate "$model" download -o "$work/records/$model.QXRec" \
        >/dev/null 2>&1 || fail "qxlog-cli could not download a $model record"
    # By name, and by the magic alone under a name without an extension.
    cp "$work/records/$model.QXRec" "$work/records/$model-copy"
    for f in "$work/records/$model.QXRec" "$work/records/$model-copy"; do
        type=$(filetype "$f")
        [ "$type" = application/x-qxrec ] || fail "$(basename "$f") is taken for $type"
    done
done
printf 'temperature log\n' > "$work/records/notes"
[ "$(filetype "$work/records/notes")" != application/x-qxrec ] \
    || fail "a text file is taken for a record"

echo "== systemd units of a collecting and a monitoring PC"
if command -v systemd-analyze >/dev/null; then
    # Verified as system units, the programs they start taken from the installation; any
    # complaint fails, as systemd-analyze ignores a bad value with a warning only.
    mkdir "$work/units"
    for unit in qxlog-collect.service qxlog-collect.timer qxlog-monitor.service; do
        sed "s|/usr/bin/qxlog-cli|$prefix/bin/qxlog-cli|" \
            "$prefix/share/doc/qxlog/examples/$unit" > "$work/units/$unit"
    done
    complaints=$(systemd-analyze verify --man=no "$work/units/qxlog-collect.service" \
                 "$work/units/qxlog-collect.timer" "$work/units/qxlog-monitor.service" 2>&1) \
        || fail "systemd-analyze: $complaints"
    [ -z "$complaints" ] || fail "systemd-analyze: $complaints"
else
    echo "systemd-analyze is not installed: the units are not verified"
fi

echo "== installed programs"
"$prefix/bin/qxlog-cli" info "$work/records/QX450.QXRec" >/dev/null \
    || fail "the installed qxlog-cli cannot read a record"
"$prefix/bin/qxlog" --help >/dev/null || fail "the installed qxlog does not start"
echo "desktop integration checks passed"
