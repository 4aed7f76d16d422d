# shellcheck shell=bash
# Shared by the installation and package checks: failure reporting, and a
# guard that keeps the build folder's install_manifest.txt as it was, since
# every install into a staging folder rewrites it and a later
# `cmake --build BUILD --target uninstall` must still find the user's own.

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_file() {
    if [ ! -f "$1" ] || [ -L "$1" ]; then
        fail "missing file: ${1#"${stage:-}"}"
    fi
}
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

keep_manifest() {
    manifest="$1/install_manifest.txt"
    saved_manifest=""
    if [ -f "$manifest" ]; then
        saved_manifest=$(mktemp)
        cp -p "$manifest" "$saved_manifest"
    fi
}
restore_manifest() {
    if [ -n "$saved_manifest" ]; then
        mv -f "$saved_manifest" "$manifest"
    else
        rm -f "$manifest"
    fi
}
