#!/usr/bin/env bash
# Makes the Debian package with cpack from the build folder and checks it
# without installing it: its name and version, dependencies worked out from
# the programs (dpkg-shlibdeps) and the one named by hand (the Wayland
# platform plugin, loaded rather than linked), and its contents: the programs,
# the menu entry and metainfo, icons, manual pages, changelog, support files,
# example quizzes and cues, all under /usr. Then lintian: any error or warning
# that the package's own overrides do not explain fails the check.
# Usage: deb_check.sh BUILD_DIR APP_ID VERSION
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
arch=$(dpkg --print-architecture)
deb=$build/torvi_${version}_$arch.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    tail -n 20 "$work/cpack.log" >&2
    fail "cpack -G DEB failed"
    finish
}
[ -f "$deb" ] || { fail "cpack made no $(basename "$deb")"; finish; }

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = torvi ] || fail "the package is called '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "the package's version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "the package is for '$(field Architecture)'"
depends=$(field Depends)
# Libraries the programs link, found by dpkg-shlibdeps, with version bounds.
# The page view's helper program is started, not linked, and must be there too.
for library in libqt6webenginewidgets6 libqt6widgets6 libsdl2-2.0-0 libstdc++6 libc6 \
    libqt6webenginecore6-bin; do
    case ", $depends" in
    *", $library (>= "*) ;;
    *) fail "Depends lacks $library with a version: $depends" ;;
    esac
done
case ", $depends," in
*", qt6-wayland,"* | *", qt6-wayland ("*) ;;
*) fail "Depends lacks qt6-wayland: $depends" ;;
esac

dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
outside=$(grep -vE '^/usr(/|$)' "$work/contents" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for path in /usr/bin/torvi /usr/bin/torvi-cli \
    "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml" \
    /usr/share/icons/hicolor/scalable/apps/org.example.torvi.svg /usr/share/icons/hicolor/48x48/apps/org.example.torvi.png \
    /usr/share/man/man1/torvi.1.gz /usr/share/man/man1/torvi-cli.1.gz \
    /usr/share/man/man1/torvi-editor.1.gz \
    /usr/share/doc/torvi/copyright /usr/share/doc/torvi/changelog.gz \
    /usr/share/lintian/overrides/torvi "/usr/share/mime/packages/$app_id.xml" \
    /usr/share/torvi/Welcome.htm /usr/share/torvi/IgnoreW.TXT /usr/share/torvi/Start1.wav \
    /usr/share/torvi/RightAnswer1.wav /usr/share/torvi/WrongAnswer1.wav \
    /usr/share/torvi/quizzes/geography.txt /usr/share/torvi/quizzes/spanish.txt; do
    grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done

if [ -f "$build/bin/web/torvi-player.html" ]; then
    grep -qxF /usr/share/torvi/web/torvi-player.html "$work/contents" ||
        fail "the package lacks the browser player"
fi

# The menu entry inside the package starts the program where the package puts it.
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/applications/$app_id.desktop" >"$work/entry"
grep -qx "Exec=/usr/bin/torvi %f" "$work/entry" || fail "the packaged menu entry starts another program"

# The release notes' newest entry is the package's version.
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/torvi/changelog.gz | gunzip >"$work/changelog"
notes_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[ "$notes_version" = "$version" ] || fail "the changelog's newest entry is $notes_version"

if command -v lintian >/dev/null; then
    # Overridden findings are listed as such and do not count; informational
    # and pedantic ones are not shown.
    lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 ||
        fail "lintian finds errors or warnings in the package:
$(cat "$work/lintian")"
    grep -E '^[EW]: ' "$work/lintian" >&2 || true
else
    fail "lintian is not installed (scripts/install-deps installs it)"
fi
finish
