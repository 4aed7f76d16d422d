#!/usr/bin/env python3
"""Puts the browser player together as one HTML page: the page's shell, its
start script and the compiled player (its WebAssembly inside as base64).

The page's policy lets exactly this script run, by its SHA-256 hash. The
quiz's title and data are left as markers for the exporter to fill.

Usage: make_player.py SHELL_HTML SHELL_JS PLAYER_JS VERSION OUTPUT
"""
import base64
import hashlib
import os
import re
import sys

MARKERS = ("@TORVI_TITLE@", "@TORVI_HEADING@", "@TORVI_QUIZ@")

# The compiled script names its WebAssembly by a data: address, which it would
# fetch; the start script decodes the base64 itself (torviCode) and hands the
# bytes to the compiler at once, without the round trip of the fetch.
CODE_ADDRESS = re.compile(r'wasmBinaryFile="data:application/octet-stream;base64,([A-Za-z0-9+/=]+)"')


def split_code(player):
    """The compiled script without its WebAssembly, and that as base64."""
    found = CODE_ADDRESS.findall(player)
    if len(found) != 1:
        sys.exit("make_player: the compiled script does not name its WebAssembly once by a data: address")
    return CODE_ADDRESS.sub('wasmBinaryFile=""', player), found[0]


def main(shell_html, shell_js, player_js, version, output):
    with open(shell_html, encoding="utf-8") as f:
        page = f.read()
    with open(shell_js, encoding="utf-8") as f:
        start = f.read()
    with open(player_js, encoding="utf-8") as f:
        player = f.read()
    player, code = split_code(player)
    # Inside the script, so that the policy's hash covers the WebAssembly too.
    script = 'var torviCode = "' + code + '";\n' + start + "\n" + player
    if "</script" in script.lower() or any(m in script for m in MARKERS):
        sys.exit("make_player: the script holds text that would end it or a marker")
    digest = base64.b64encode(hashlib.sha256(script.encode("utf-8")).digest()).decode("ascii")
    policy = "; ".join([
        "default-src 'none'",
        f"script-src 'sha256-{digest}' 'wasm-unsafe-eval'",
        # Quiz pages bring their own style sheets; styles run no code.
        "style-src 'unsafe-inline'",
        "img-src data:",
        "connect-src 'none'",
        "media-src blob: data:",
        "font-src data:",
        "frame-src 'none'",
        "child-src 'none'",
        "form-action 'none'",
        "base-uri 'none'",
    ])
    page = page.replace("@TORVI_POLICY@", policy).replace("@TORVI_VERSION@", version)
    before, marker, after = page.partition("@TORVI_SCRIPT@")
    if not marker:
        sys.exit("make_player: the shell has no place for the script")
    for m in MARKERS:
        if before.count(m) != 1 or m in after:
            sys.exit(f"make_player: the shell must hold {m} once, before the script")
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "w", encoding="utf-8", newline="\n") as f:
        f.write(before + script + after)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
