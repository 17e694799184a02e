#!/usr/bin/env python3
"""The include check refuses what the layout table does not allow: each case
plants one include in a copy of the tree and expects the check to fail on it,
after the untouched copy passed."""
import os
import shutil
import subprocess
import sys
import tempfile

SOURCE = sys.argv[1]
FOLDERS = ["platform", "components", "sounding", "analysis", "download", "tools", "chart", "movie", "app"]
CASES = [  # (file, planted line, expected to pass)
    ("sounding/Sounding.h", "#include <QWidget>", False),
    ("components/jtINI_Document.h", "#include <QtWidgets/QLabel>", False),
    ("platform/CorePlatform.cpp", "#include <QPainter>", False),
    ("analysis/Thermo.cpp", "#include <QNetworkReply>", False),
    ("sounding/Sounding.cpp", '#include "analysis/Indices.h"', False),
    ("movie/GifMovie.cpp", '#include "qcustomplot.h"', False),
    ("analysis/Thermo.cpp", '#include "chart/Chart.h"', False),
    ("download/Downloader.cpp", "#include <QNetworkReply>", True),
    ("components/jtControls.cpp", "#include <QWidget>", True),
]


def check(root):
    return subprocess.run([sys.executable, os.path.join(root, "scripts", "check-includes"), root],
                          capture_output=True, text=True)


with tempfile.TemporaryDirectory() as tmp:
    root = os.path.join(tmp, "tree")
    os.makedirs(os.path.join(root, "scripts"))
    for name in ("README.md", "scripts/check-includes"):
        shutil.copy(os.path.join(SOURCE, name), os.path.join(root, name))
    for folder in FOLDERS:
        shutil.copytree(os.path.join(SOURCE, folder), os.path.join(root, folder))
    failures = 0
    first = check(root)
    if first.returncode != 0:
        print("the untouched tree fails:\n" + first.stdout)
        failures += 1
    for path, line, passes in CASES:
        target = os.path.join(root, path)
        original = open(target, encoding="utf-8").read()
        with open(target, "w", encoding="utf-8") as f:
            f.write(line + "\n" + original)
        result = check(root)
        if (result.returncode == 0) != passes:
            print(f"{path} with {line}: expected {'pass' if passes else 'failure'}, got:\n{result.stdout}")
            failures += 1
        with open(target, "w", encoding="utf-8") as f:
            f.write(original)
    print(f"{len(CASES) + 1 - failures} passed, {failures} failed")
    sys.exit(1 if failures else 0)
