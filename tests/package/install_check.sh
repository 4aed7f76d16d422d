#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) as `cmake --install`
# would for /usr, and checks what a desktop and a packager expect there: the
# menu entries and the AppStream metainfo validate and share one id, the menu
# entries start the installed programs with the file chosen, every file type
# they offer to open is known (the system's or the program's own MIME
# package, which builds into a database), the manual pages render without a
# warning and name every command and option torvi-cli has, the support files,
# icons and licence are in place, and the installed torvi-cli reports the
# project's version.
# Usage: install_check.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
here=$(dirname "$0")
build=$(realpath "$1")
app_id=$2
version=$3
# shellcheck source=tests/package/package_test_support.sh
. "$here/package_test_support.sh"

work=$(mktemp -d)
keep_manifest "$build"
trap 'restore_manifest; rm -rf "$work"' EXIT
stage=$work/stage
prefix=/usr
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log"
root=$stage$prefix

desktop=$root/share/applications/$app_id.desktop
metainfo=$root/share/metainfo/$app_id.metainfo.xml
expect_file "$desktop"
expect_file "$metainfo"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
    grep -qx "Exec=$prefix/bin/torvi %f" "$desktop" || fail "the menu entry does not start $prefix/bin/torvi with a file"
    grep -qx "Path=$prefix/share/torvi" "$desktop" || fail "the menu entry does not start in $prefix/share/torvi"
    grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry names another icon"
fi
editor_desktop=$root/share/applications/$app_id.editor.desktop
if [ -f "$editor_desktop" ]; then
    desktop-file-validate "$editor_desktop" || fail "desktop-file-validate rejects $app_id.editor.desktop"
    grep -qx "Exec=$prefix/bin/torvi-editor %F" "$editor_desktop" ||
        fail "the editor's menu entry does not start $prefix/bin/torvi-editor with files"
fi
# Every file type the menu entries offer to open is one the desktop knows: the
# system's MIME database, or the package of types installed with the program,
# which must build into a database that gives .kvtml files their type.
mime_package=$root/share/mime/packages/$app_id.xml
expect_file "$mime_package"
if [ -f "$mime_package" ]; then
    mkdir -p "$work/mime/packages"
    cp "$mime_package" "$work/mime/packages/"
    update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database rejects $app_id.xml"
    cut -d: -f2- "$work/mime/globs2" 2>/dev/null | grep -qxF "application/x-kvtml:*.kvtml" ||
        fail "the installed MIME types give *.kvtml no type"
fi
for entry in "$desktop" "$editor_desktop"; do
    [ -f "$entry" ] || continue
    types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
    [ -n "$types" ] || fail "$(basename "$entry") offers to open no file type"
    for type in $types; do
        [ -f "/usr/share/mime/$type.xml" ] || [ -f "$work/mime/$type.xml" ] ||
            fail "$(basename "$entry") names the unknown file type $type"
    done
done
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $app_id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
    grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" ||
        fail "the metainfo does not name the licence"
fi

for program in torvi torvi-cli; do
    [ -x "$root/bin/$program" ] || fail "$program is not installed in bin"
done
for file in Welcome.htm IgnoreW.TXT Start1.wav RightAnswer1.wav WrongAnswer1.wav \
    quizzes/geography.txt; do
    expect_file "$root/share/torvi/$file"
done
# The browser player, when this build made one, so that torvi-cli can export.
if [ -f "$build/bin/web/torvi-player.html" ]; then
    expect_file "$root/share/torvi/web/torvi-player.html"
fi
expect_file "$root/share/icons/hicolor/scalable/apps/org.example.torvi.svg"
for size in 16 32 48 64 128 256; do
    expect_file "$root/share/icons/hicolor/${size}x${size}/apps/org.example.torvi.png"
done
expect_file "$root/share/doc/torvi/copyright"
grep -q "GPL-3+" "$root/share/doc/torvi/copyright" 2>/dev/null || fail "the copyright file names no licence"

# The installed tool reports the version the project declares.
reported=$("$root/bin/torvi-cli" --version) || fail "torvi-cli --version failed"
[ "$reported" = "torvi-cli (Torvi) $version" ] || fail "torvi-cli --version says '$reported'"

# Manual pages: man reports what groff finds wrong on standard error.
export LC_ALL=C.UTF-8 MANWIDTH=80
for page in torvi torvi-cli; do
    file=$root/share/man/man1/$page.1.gz
    expect_file "$file"
    [ -f "$file" ] || continue
    if ! man --warnings -E UTF-8 -l "$file" >"$work/$page.txt" 2>"$work/$page.err"; then
        fail "man cannot show $page(1)"
    fi
    if [ -s "$work/$page.err" ]; then
        fail "man warns about $page(1): $(head -n 3 "$work/$page.err")"
    fi
    for section in NAME SYNOPSIS DESCRIPTION FILES ENVIRONMENT "EXIT STATUS"; do
        grep -q "^$section" "$work/$page.txt" || fail "$page(1) has no $section section"
    done
done
# Every subcommand and every option torvi-cli offers is described in its page.
if [ -f "$work/torvi-cli.txt" ]; then
    page=$work/torvi-cli.txt
    names=$("$root/bin/torvi-cli" --help | awk 'tolower($0) ~ /^subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }')
    [ -n "$names" ] || fail "torvi-cli --help lists no subcommands"
    for name in $names; do
        grep -qE "^ +torvi-cli $name" "$page" || fail "torvi-cli(1) has no synopsis for $name"
        for option in $("$root/bin/torvi-cli" "$name" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
            grep -qE -- "^ +(-[a-z], )?$option( |,|$)" "$page" || fail "torvi-cli(1) does not describe $name $option"
        done
    done
    grep -qE -- "^ +--version" "$page" || fail "torvi-cli(1) does not describe --version"
    for status in 0 1 2 3 4 130; do
        grep -qE "^ +$status$" "$page" || fail "torvi-cli(1) does not explain exit status $status"
    done
    grep -q "IgnoreW.TXT" "$page" || fail "torvi-cli(1) does not name IgnoreW.TXT"
fi
if [ -f "$work/torvi.txt" ]; then
    for name in IgnoreW.TXT QuestionTemp-PID-N.html RightAnswer1.wav XDG_CACHE_HOME share/torvi; do
        grep -qF "$name" "$work/torvi.txt" || fail "torvi(1) does not mention $name"
    done
fi
finish
