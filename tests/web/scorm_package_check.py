#!/usr/bin/env python3
"""Writes SCORM packages with torvi-cli convert and checks them as a learning
platform would on upload: a zip with imsmanifest.xml at its root, a manifest
that is valid against ADL's schema files for its version (xmllint), the
launch page that the manifest names, and the same quiz in it as in the plain
web page.

Usage: scorm_package_check.py TORVI_CLI SCHEMA_FOLDER SOURCE_FOLDER WORK_FOLDER
Exit status 77 (a skip) when xmllint or the schema files are missing.
"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile

FAILURES = []

SCHEMAS = {
    "scorm12": ("scorm12edition", [
        ("http://www.imsproject.org/xsd/imscp_rootv1p1p2", "imscp_rootv1p1p2.xsd"),
        ("http://www.adlnet.org/xsd/adlcp_rootv1p2", "adlcp_rootv1p2.xsd"),
    ]),
    "scorm2004": ("scorm20044thedition", [
        ("http://www.imsglobal.org/xsd/imscp_v1p1", "imscp_v1p1.xsd"),
        ("http://www.adlnet.org/xsd/adlcp_v1p3", "adlcp_v1p3.xsd"),
        ("http://www.adlnet.org/xsd/adlseq_v1p3", "adlseq_v1p3.xsd"),
        ("http://www.adlnet.org/xsd/adlnav_v1p3", "adlnav_v1p3.xsd"),
        ("http://www.imsglobal.org/xsd/imsss", "imsss_v1p0.xsd"),
    ]),
}


def check(condition, message):
    if not condition:
        FAILURES.append(message)
        print("FAIL:", message)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def schema_for(version, schema_folder, work):
    """One schema that imports every namespace of the version's manifest."""
    folder, imports = SCHEMAS[version]
    path = os.path.join(work, version + "-all.xsd")
    with open(path, "w", encoding="utf-8") as f:
        f.write('<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">\n')
        for namespace, name in imports:
            location = os.path.abspath(os.path.join(schema_folder, folder, name))
            f.write(f'  <xs:import namespace="{namespace}" schemaLocation="{location}"/>\n')
        f.write("</xs:schema>\n")
    return path


def validates(manifest_path, schema):
    result = run(["xmllint", "--noout", "--schema", schema, manifest_path])
    return result.returncode == 0, result.stderr


def opens_during(path, command):
    """How many times path is opened while command runs (inotify's IN_OPEN)."""
    libc = ctypes.CDLL(None, use_errno=True)
    in_open, in_nonblock = 0x20, 0o4000
    watcher = libc.inotify_init1(in_nonblock)
    if watcher < 0 or libc.inotify_add_watch(watcher, os.fsencode(path), in_open) < 0:
        return -1
    try:
        run(command)
        opens = 0
        while True:
            try:
                events = os.read(watcher, 4096)
            except BlockingIOError:
                return opens
            at = 0
            while at + 16 <= len(events):
                mask, name_length = int.from_bytes(events[at + 4:at + 8], "little"), \
                    int.from_bytes(events[at + 12:at + 16], "little")
                opens += 1 if mask & in_open else 0
                at += 16 + name_length
    finally:
        os.close(watcher)


def carried_quiz(page):
    """The quiz data a page carries, less the platform's settings."""
    data = re.search(r'<script type="application/json" id="torviQuiz">(.*?)</script>', page, re.S)
    return re.sub(r',"lms":\{[^}]*\}', "", data.group(1)) if data else None


def main(cli, schema_folder, source_folder, work):
    if not shutil.which("xmllint") or not os.path.isdir(schema_folder):
        print("SKIP: xmllint (libxml2-utils) or the SCORM schema files "
              "(npm ci in tests/web) are missing")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    schemas = {version: schema_for(version, schema_folder, work) for version in SCHEMAS}

    # Quizzes: the shipped geography quiz, a vocabulary file, one with a name
    # that needs escaping in XML, and one of more than 100 questions.
    geography = os.path.join(source_folder, "res/quizzes/geography.txt")
    vocabulary = os.path.join(source_folder, "tests/data/ui/vocabulary.kvtml")
    awkward = os.path.join(work, "Gé & <Fl\"üsse> 'n’ Seen.txt")
    shutil.copy(geography, awkward)
    big = os.path.join(work, "big.txt")
    with open(big, "w", encoding="utf-8") as f:
        for n in range(150):
            f.write(f"Question {n}?\nanswer{n}\n")

    cases = [
        # (input, output name, extra arguments, version, mastery or passing)
        (geography, "geography.zip", [], "scorm12", None),
        (geography, "geo-pass.zip", ["--passing-score", "70"], "scorm12", "4"),
        (geography, "geo2004.zip", ["--to", "scorm2004", "--passing-score", "65"], "scorm2004",
         "0.65"),
        (geography, "geo2004-plain", ["--to", "scorm2004"], "scorm2004", None),
        (geography, "geo2004-full.ZIP", ["--to", "scorm2004", "--passing-score", "100"],
         "scorm2004", "1.00"),
        (vocabulary, "vocabulary.zip", ["--passing-score", "0"], "scorm12", "0"),
        (awkward, "awkward.zip", ["--passing-score", "50"], "scorm12", "3"),
        (awkward, "awkward2004.zip", ["--to", "scorm2004"], "scorm2004", None),
        (big, "big.zip", ["--passing-score", "80"], "scorm12", "80"),
    ]
    for source, name, extra, version, passing in cases:
        output = os.path.join(work, name)
        result = run([cli, "convert", source, "-o", output] + extra)
        check(result.returncode == 0, f"{name}: convert failed: {result.stderr}")
        if result.returncode != 0:
            continue
        with zipfile.ZipFile(output) as package:
            names = package.namelist()
            check(sorted(names) == ["imsmanifest.xml", "index.html"],
                  f"{name}: the zip holds {names}")
            manifest = package.read("imsmanifest.xml")
            page = package.read("index.html").decode("utf-8")
        manifest_path = os.path.join(work, name + ".imsmanifest.xml")
        with open(manifest_path, "wb") as f:
            f.write(manifest)
        ok, errors = validates(manifest_path, schemas[version])
        check(ok, f"{name}: the manifest is not valid for {version}: {errors[-800:]}")

        root = ET.fromstring(manifest)
        titles = [e.text for e in root.iter() if e.tag.endswith("}title")]
        expected_title = os.path.splitext(os.path.basename(source))[0]
        check(titles == [expected_title, expected_title], f"{name}: titles {titles}")
        launch = [e.get("href") for e in root.iter() if e.tag.endswith("}resource")]
        files = [e.get("href") for e in root.iter() if e.tag.endswith("}file")]
        check(launch == ["index.html"] and files == ["index.html"],
              f"{name}: the resource launches {launch} with files {files}")
        mastery = [e.text for e in root.iter()
                   if e.tag.endswith("}masteryscore") or e.tag.endswith("}minNormalizedMeasure")]
        check(mastery == ([passing] if passing else []), f"{name}: passing score {mastery}")
        lms = re.search(r'"lms":\{"version":(\d+)(?:,"passing":(\d+))?\}', page)
        check(lms and lms.group(1) == ("12" if version == "scorm12" else "2004"),
              f"{name}: the page does not report as {version}")

        # The page carries the same quiz, cues and pictures as the plain page.
        plain = os.path.join(work, name + ".html")
        result = run([cli, "convert", source, "-o", plain])
        with open(plain, encoding="utf-8") as f:
            check(carried_quiz(f.read()) == carried_quiz(page) is not None,
                  f"{name}: the package's page carries another quiz than the web page")

    # The check itself tells a broken manifest: a resource without its
    # identifier, a SCO of a type that does not exist.
    for name, version, old, new in [
            ("geography.zip", "scorm12", 'identifier="torvi-page" ', ""),
            ("geo2004.zip", "scorm2004", 'scormType="sco"', 'scormType="quiz"')]:
        with open(os.path.join(work, name + ".imsmanifest.xml"), encoding="utf-8") as f:
            manifest = f.read()
        broken_path = os.path.join(work, "broken-" + name + ".xml")
        with open(broken_path, "w", encoding="utf-8") as f:
            f.write(manifest.replace(old, new))
        check(old in manifest and not validates(broken_path, schemas[version])[0],
              f"a broken {version} manifest validates")

    # An existing package is kept unless --force; odd settings are refused.
    existing = os.path.join(work, "geography.zip")
    before = open(existing, "rb").read()
    result = run([cli, "convert", geography, "-o", existing, "--passing-score", "10"])
    check(result.returncode == 2 and open(existing, "rb").read() == before,
          f"an existing package was not kept: {result.returncode} {result.stderr}")
    result = run([cli, "convert", geography, "-o", existing, "--force", "--passing-score", "10"])
    check(result.returncode == 0 and b"<adlcp:masteryscore>1<" in
          zipfile.ZipFile(existing).read("imsmanifest.xml"),
          f"--force did not replace the package: {result.stderr}")
    for extra, why in [(["--passing-score", "101"], "a passing score over 100"),
                       (["--passing-score", "-1"], "a negative passing score"),
                       (["--to", "html", "--passing-score", "50"], "a passing score for a page")]:
        output = os.path.join(work, "refused.out")
        result = run([cli, "convert", geography, "-o", output] + extra)
        check(result.returncode == 2 and not os.path.exists(output), f"{why} was taken")

    # The quiz is read once, for the page and for the package alike.
    for output in ["once.html", "once.zip"]:
        opens = opens_during(geography, [cli, "convert", geography, "-o", os.path.join(work, output)])
        check(opens == 1, f"{output}: the quiz was opened {opens} times")

    print(f"{len(cases)} packages checked, {len(FAILURES)} failures")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
