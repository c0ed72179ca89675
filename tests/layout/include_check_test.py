#!/usr/bin/env python3
"""The include check on small trees built for the purpose: each row a tree, the
check's exit status and its report."""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CHECK = Path(__file__).with_name("include_check.py")

# A tree whose includes all point down: beside the file, from the top of a
# tree, across trees, system and generated files, a platform file of its own.
LAYERED = {
    "converter/main.cpp": '#include "app/driver.h"\n#include "system/platform.h"\n',
    "converter/app/driver.h": '#include <vector>\n#include "holes/hole.h"\n',
    "converter/app/driver.cpp": '#include "app/driver.h"\n#include "reading/reader.h"\n#include "writing/writer.h"\n',
    "converter/writing/writer.cpp": '#include "writing/writer.h"\n#include "../system/platform.h"\n',
    "converter/writing/writer.h": "",
    "converter/reading/reader.h": '#include "holes/hole.h"\n',
    "converter/holes/hole.h": '#include "system/platform.h"\n',
    "converter/system/platform.h": "",
    "converter/system/platform_posix.cpp": '#include "system/platform.h"\n',
    "shell/Ablak.cpp": '#include "Ablak.h"\n#include "Ablak.moc"\n#include "Panel.h"\n',
    "shell/Ablak.h": '#include "QWidget"\n',
    "shell/Panel.h": '#include "app/driver.h"\n',
}

CASES = [
    ("layered", LAYERED, 0, ["includes point one way: no cycle, no stage upwards"]),
    ("two modules through their .cpp", {**LAYERED,
        "converter/holes/bore.cpp": '#include "holes/hole.h"\n',
        "converter/holes/hole.cpp": '#include "holes/bore.h"\n',
        "converter/holes/bore.h": ""},
     1, ["include cycle between converter/holes/bore, converter/holes/hole:",
         '  converter/holes/bore.cpp:1 includes "holes/hole.h"',
         '  converter/holes/hole.cpp:1 includes "holes/bore.h"']),
    ("three headers, one on the include path by its name alone", {**LAYERED,
        "shell/Panel.h": '#include "Rajz.h"\n',
        "shell/Rajz.h": '// one\n#include "Terv.h"\n',
        "shell/plan/Terv.h": '#  include "Panel.h"\n'},
     1, ["include cycle between shell/Panel, shell/Rajz, shell/plan/Terv:",
         '  shell/Panel.h:1 includes "Rajz.h"',
         '  shell/Rajz.h:2 includes "Terv.h"',
         '  shell/plan/Terv.h:1 includes "Panel.h"']),
    ("a stage back into the driver", {**LAYERED,
        "converter/main.h": "",
        "converter/main.cpp": '#include "main.h"\n#include "app/driver.h"\n',
        "converter/app/driver.cpp": '#include "main.h"\n'},
     1, ["include cycle between converter/app/driver, converter/main:",
         '  converter/app/driver.cpp:1 includes "main.h"',
         '  converter/main.cpp:2 includes "app/driver.h"',
         'converter/app/driver.cpp:1 includes "main.h": app may not include from the driver, a later stage']),
    ("a lower stage up", {**LAYERED, "converter/holes/hole.h": '#include "writing/writer.h"\n'},
     1, ['converter/holes/hole.h:1 includes "writing/writer.h": holes may not include from writing, a later stage']),
    ("a folder out of the order", {**LAYERED, "converter/extra/x.h": ""},
     1, ["converter/extra/ has no place in the stage order ('system', 'holes', 'reading', 'writing', 'app')"]),
]


def run_check(root):
    return subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)


class IncludeCheck(unittest.TestCase):
    def test_trees(self):
        for name, files, status, report in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in files.items():
                    (Path(root) / path).parent.mkdir(parents=True, exist_ok=True)
                    (Path(root) / path).write_text(text)
                result = run_check(root)
                self.assertEqual(result.returncode, status, result.stdout + result.stderr)
                self.assertEqual(result.stdout.splitlines(), report)

    def test_root_without_trees(self):
        with tempfile.TemporaryDirectory() as root:
            self.assertEqual(run_check(root).returncode, 2)


if __name__ == "__main__":
    unittest.main()
