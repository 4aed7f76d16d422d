#!/usr/bin/env bash
# Installs the build into a staging folder, then removes it again with the
# build's uninstall target, and checks that exactly the installed files go:
# the program's own folders with them, the shared folders and a file the user
# added stay, and nothing is removed through a link planted since the install.
# Usage: uninstall_check.sh BUILD_DIR
set -euo pipefail
here=$(dirname "$0")
build=$(realpath "$1")
# shellcheck source=tests/package/package_test_support.sh
. "$here/package_test_support.sh"

work=$(mktemp -d)
keep_manifest "$build"
trap 'restore_manifest; rm -rf "$work"' EXIT
uninstall() { DESTDIR=$stage cmake --build "$build" --target uninstall >"$work/uninstall.log" 2>&1; }

stage=$work/stage
# A whole installation goes, and with it the program's own folders only.
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
listed=$(wc -l <"$manifest")
[ "$listed" -gt 20 ] || fail "the manifest lists only $listed files"
uninstall || fail "uninstall failed: $(tail -n 3 "$work/uninstall.log")"
left=$(find "$stage" -type f -o -type l)
[ -z "$left" ] || fail "files left after uninstall: $left"
[ ! -e "$root/share/torvi" ] || fail "share/torvi is left"
[ ! -e "$root/share/doc/torvi" ] || fail "share/doc/torvi is left"
[ -d "$root/bin" ] || fail "the shared bin folder was removed"
# Removing again finds nothing to do and is no error.
uninstall || fail "a second uninstall failed"

# A file the user added to the program's folder stays, and so does the folder.
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
echo "my own quiz" >"$root/share/torvi/quizzes/mine.txt"
# A listed file replaced by a link: the link stays and its target is untouched.
outside=$work/outside
mkdir -p "$outside/man1"
echo "keep me" >"$outside/precious.txt"
rm "$root/share/torvi/IgnoreW.TXT"
ln -s "$outside/precious.txt" "$root/share/torvi/IgnoreW.TXT"
# A listed folder replaced by a link to a folder holding a file of the same
# name as an installed one: that file is not the installation's to remove.
cp "$root/share/man/man1/torvi.1.gz" "$outside/man1/torvi.1.gz"
rm -r "$root/share/man/man1"
ln -s "$outside/man1" "$root/share/man/man1"
if uninstall; then
    fail "uninstall reported success although it left files in place"
fi
grep -q "reached through a link" "$work/uninstall.log" || fail "uninstall did not say why it left files"
[ "$(cat "$outside/precious.txt")" = "keep me" ] || fail "a file outside was changed through a link"
[ -f "$outside/man1/torvi.1.gz" ] || fail "a file was removed through a linked folder"
[ -L "$root/share/torvi/IgnoreW.TXT" ] || fail "the planted link was removed"
[ -f "$root/share/torvi/quizzes/mine.txt" ] || fail "the user's own file was removed"
[ ! -e "$root/bin/torvi-cli" ] || fail "an ordinary installed file was left"
[ ! -e "$root/share/torvi/Welcome.htm" ] || fail "an ordinary installed file was left"
finish
