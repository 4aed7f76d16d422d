#!/usr/bin/env bash
# Installs the build into a fresh folder and checks that File > New and
# Help > Contents will find what they look for there: torvi-editor beside
# torvi, the manual among the support files, and the editor's menu entry.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
expect() {
    if [ ! -e "$prefix/$1" ]; then
        echo "missing: $1"
        fail=1
    fi
}
expect bin/torvi
expect bin/torvi-editor
expect share/torvi/manual/index.html
expect share/torvi/manual/quiz-files.html
expect share/torvi/manual/editor.html
expect share/applications/org.example.torvi.editor.desktop

desktop=$prefix/share/applications/org.example.torvi.editor.desktop
if [ -e "$desktop" ]; then
    grep -qx "Name=Torvi Quiz Editor" "$desktop" || { echo "wrong name"; fail=1; }
    grep -qx "Exec=$prefix/bin/torvi-editor %F" "$desktop" || { echo "wrong Exec"; fail=1; }
    grep -q "^Categories=.*Education;" "$desktop" || { echo "not in Education"; fail=1; }
fi
# Every page the contents page links to was installed.
for link in $(grep -o 'href="[a-z-]*\.html"' "$prefix/share/torvi/manual/index.html" | cut -d'"' -f2); do
    expect "share/torvi/manual/$link"
done
exit $fail
