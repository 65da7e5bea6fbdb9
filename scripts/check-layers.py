#!/usr/bin/env python3
"""Checks every #include of the C++ tree against the table "What each folder may include" of
ARCHITECTURE.md, so that the table and the code cannot drift apart.

  check-layers.py [--root DIR]   prints each include the table forbids; exit status 1 if any
  check-layers.py --self-test    builds a scratch tree with known violations and checks that
                                 exactly those are reported (exit status 1 if not)

Qt headers are placed in their module by the Qt include folder (QT_INCLUDE_DIR, else the first
of /usr/include/*/qt6 and /usr/include/qt6); without one the check fails rather than pass blind.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE_SUFFIXES = (".cpp", ".h")
# The tree's own folders: a quoted include starting with one of them is the project's.
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
QT_MODULES = {"Qt Core": {"QtCore"}, "Qt Widgets": {"QtCore", "QtGui", "QtWidgets"}}


class Row:
    def __init__(self, folders, allowed_text):
        self.folders = folders
        self.allowed_text = allowed_text


def read_table(root):
    text = open(os.path.join(root, "ARCHITECTURE.md"), encoding="utf-8").read()
    section = text.split("## What each folder may include", 1)
    if len(section) != 2:
        sys.exit("check-layers: ARCHITECTURE.md has no section 'What each folder may include'")
    rows = []
    for line in section[1].splitlines():
        if not line.startswith("|"):
            if rows:
                break
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 3 or cells[0] == "folder" or set(cells[0]) <= {"-", " "}:
            continue
        rows.append(Row(re.findall(r"`([^`]+)`", cells[0]), cells[1]))
    if not rows:
        sys.exit("check-layers: the table of ARCHITECTURE.md has no rows")
    return rows


class Rules:
    """What each folder of the table may include, expanded from the table's words."""

    def __init__(self, rows):
        self.by_folder = {}
        for row in rows:
            for folder in row.folders:
                self.by_folder[folder] = row
        self.cache = {}

    def row_folder(self, path):
        """The table's folder a file belongs to: the longest folder that holds it."""
        best = None
        for folder in self.by_folder:
            if folder.startswith("*/"):
                if f"/{folder[2:]}" in f"/{path}":
                    return folder
            elif path.startswith(folder) and (best is None or len(folder) > len(best)):
                best = folder
        return best

    def allowed(self, folder, seen=()):
        """(patterns, qt_modules, anything) for a folder of the table."""
        if folder in self.cache:
            return self.cache[folder]
        text = self.by_folder[folder].allowed_text
        if "the layer under test" in text:
            result = ([], set(), True)
            self.cache[folder] = result
            return result
        patterns, modules = [], set()
        for name, qt in QT_MODULES.items():
            if name in text:
                modules |= qt
        for part in text.split(","):
            part = part.strip()
            quoted = re.findall(r"`([^`]+)`", part)
            if not quoted:
                continue
            target = quoted[0]
            if "public headers" in part:
                patterns.append(("top", target))
            elif target.endswith("/"):
                patterns.append(("under", target))
            else:
                patterns.append(("file", target))
            if "and what it may include" in part:
                if target in seen:
                    sys.exit(f"check-layers: the table's rows refer to each other: {target}")
                inner, inner_modules, _ = self.allowed(target, seen + (folder,))
                patterns += inner
                modules |= inner_modules
        result = (patterns, modules, False)
        self.cache[folder] = result
        return result


def matches(pattern, path):
    kind, target = pattern
    if kind == "under":
        return path.startswith(target)
    if kind == "top":
        return path.startswith(target) and "/" not in path[len(target):]
    return path == target


def tests_folder(path):
    """The folder holding the tests/ a path is in, or None."""
    match = re.match(r"(.*/)?tests/", path)
    return match.group(1) or "" if match else None


def qt_include_dir():
    candidates = [os.environ.get("QT_INCLUDE_DIR", "")] + sorted(
        glob.glob("/usr/include/*/qt6")) + ["/usr/include/qt6"]
    for candidate in candidates:
        if candidate and os.path.isdir(os.path.join(candidate, "QtCore")):
            return candidate
    sys.exit("check-layers: no Qt 6 include folder found (set QT_INCLUDE_DIR)")


def qt_module(qt_dir, header, cache={}):
    if header not in cache:
        cache[header] = next((m for m in sorted(os.listdir(qt_dir))
                              if os.path.isfile(os.path.join(qt_dir, m, header))), None)
    return cache[header]


def source_files(root):
    try:
        listed = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others",
                                 "--exclude-standard"], check=True, capture_output=True,
                                text=True).stdout.split()
    except (OSError, subprocess.CalledProcessError):
        listed = [os.path.relpath(os.path.join(d, f), root)
                  for d, _, files in os.walk(root) for f in files]
    return sorted(p for p in listed if p.endswith(SOURCE_SUFFIXES)
                  and not p.startswith("build") and os.path.isfile(os.path.join(root, p)))


def check(root):
    rules = Rules(read_table(root))
    qt_dir = qt_include_dir()
    top_folders = {f.split("/")[0] for f in rules.by_folder if not f.startswith("*")}
    violations = []
    for path in source_files(root):
        folder = rules.row_folder(path)
        if folder is None:
            continue
        patterns, modules, anything = rules.allowed(folder)
        own_tests = tests_folder(path)
        text = open(os.path.join(root, path), encoding="utf-8", errors="replace").read()
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE_RE.match(line)
            if not match:
                continue
            bracket, included = match.groups()
            if bracket == '"' and included.split("/")[0] in top_folders:
                included_tests = tests_folder(included)
                if included_tests is not None and included_tests != own_tests:
                    violations.append((path, number, included, "another folder's tests/"))
                    continue
                if anything:
                    continue
                if included.startswith(folder) and rules.row_folder(included) == folder:
                    continue
                if not any(matches(p, included) for p in patterns):
                    violations.append((path, number, included, f"not allowed in {folder}"))
            elif bracket == "<" and re.match(r"Q[A-Za-z]*$", included) and not anything:
                module = qt_module(qt_dir, included)
                if module is not None and module not in modules:
                    violations.append((path, number, included, f"{module} not allowed in {folder}"))
    return violations


def self_test(root):
    """A scratch tree with the real table and one file for each kind of violation."""
    files = {
        "dataaccess/ok.cpp": '#include "dataaccess/drivers/driver.h"\n'
                             '#include "platform/component/error.h"\n#include <QString>\n',
        "dataaccess/up.cpp": '#include "vantrel/core/results_view.h"\n',
        "vantrel/core/widget.cpp": "#include <QWidget>\n",
        "vantrel/core/inner.cpp": '#include "dataaccess/drivers/driver.h"\n',
        "vantrel/desktop/ok.cpp": '#include "dataaccess/data_engine.h"\n'
                                  '#include "halcyra/product_page.h"\n#include <QWidget>\n',
        "vantrel/desktop/other.cpp": '#include "halcyra/common.h"\n',
        "lumifex/halcyra.cpp": '#include "halcyra/common.h"\n',
        "platform/winapi/plugin.cpp": '#include "platform/widgets/x.h"\n',
        "dataaccess/tests/borrow_test.cpp": '#include "vantrel/core/tests/fake_database.h"\n'
                                            '#include "dataaccess/tests/own.h"\n',
        "corbenna/uses_testing.cpp": '#include "testing/testutil.h"\n',
    }
    expected = {("dataaccess/up.cpp", "vantrel/core/results_view.h"),
                ("vantrel/core/widget.cpp", "QWidget"),
                ("vantrel/core/inner.cpp", "dataaccess/drivers/driver.h"),
                ("vantrel/desktop/other.cpp", "halcyra/common.h"),
                ("lumifex/halcyra.cpp", "halcyra/common.h"),
                ("platform/winapi/plugin.cpp", "platform/widgets/x.h"),
                ("dataaccess/tests/borrow_test.cpp", "vantrel/core/tests/fake_database.h"),
                ("corbenna/uses_testing.cpp", "testing/testutil.h")}
    with tempfile.TemporaryDirectory() as scratch:
        shutil.copy(os.path.join(root, "ARCHITECTURE.md"), scratch)
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(scratch, path)), exist_ok=True)
            with open(os.path.join(scratch, path), "w", encoding="utf-8") as out:
                out.write(text)
        found = {(path, included) for path, _, included, _ in check(scratch)}
    if found != expected:
        print("check-layers self-test failed")
        for item in sorted(expected - found):
            print("  not reported:", *item)
        for item in sorted(found - expected):
            print("  reported wrongly:", *item)
        return 1
    print(f"check-layers self-test: {len(expected)} violations reported, none else")
    return 0


def main(argv):
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
    if "--root" in argv:
        root = os.path.abspath(argv[argv.index("--root") + 1])
    if "--self-test" in argv:
        return self_test(root)
    violations = check(root)
    for path, number, included, why in violations:
        print(f"{path}:{number}: includes {included}: {why} (ARCHITECTURE.md)")
    return 1 if violations else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
