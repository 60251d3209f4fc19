#!/usr/bin/env python3
"""Tests of the include check over small trees written for each case."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import check_layers  # noqa: E402

TABLE = """\
# a comment line
layer|low|low|
layer|mid|mid|low,libm
layer|top|top|mid
layer|side|side|low
layer|core|core|low
exempt|root
order|core|. a<b c<d
"""


def run(files, table=TABLE):
    """The faults the check finds in a tree made of `files` (path -> text)."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as out:
                out.write(text)
        return check_layers.check(check_layers.Table.parse(table.splitlines()), root)


class FolderLayers(unittest.TestCase):
    CASES = [
        # (name, files, expected fault prefixes)
        ("own folder", {"mid/a.cpp": '#include "mid/b.h"\n', "mid/b.h": ""}, []),
        ("direct dependency", {"mid/a.cpp": '#include "low/x.h"\n', "low/x.h": ""}, []),
        ("dependency of a dependency", {"top/a.cpp": '\n#include "low/x.h"\n', "low/x.h": ""}, []),
        ("lower includes higher", {"low/x.cpp": '// x\n#include "mid/b.h"\n', "mid/b.h": ""},
         ["low/x.cpp:2: low includes mid/b.h"]),
        ("sibling without a declared dependency",
         {"side/s.h": '#  include "mid/b.h"\n', "mid/b.h": ""}, ["side/s.h:1: side includes mid/b.h"]),
        ("exempt folder", {"root/main.cpp": '#include "top/t.h"\n#include "low/x.h"\n'}, []),
        ("tests folder anywhere", {"low/tests/t.cpp": '#include "top/t.h"\n'}, []),
        ("folder no layer declares",
         {"mid/a.cpp": '#include "stray/s.h"\n', "stray/s.h": ""},
         ["mid/a.cpp:1: includes stray/s.h", "stray/s.h:1: its folder"]),
        ("system header in quotes", {"mid/a.cpp": '#include "gtest/gtest.h"\n#include "local.h"\n'}, []),
        ("angle brackets are not ours", {"low/x.cpp": "#include <mid/b.h>\n"}, []),
    ]

    def test_cases(self):
        for name, files, expected in self.CASES:
            with self.subTest(name):
                faults = run(files)
                self.assertEqual(len(faults), len(expected), faults)
                for fault, prefix in zip(sorted(faults), sorted(expected)):
                    self.assertTrue(fault.startswith(prefix), fault)


class SubFolderOrder(unittest.TestCase):
    CASES = [
        ("lower level from higher", "core/d/x.cpp", "core/a/y.h", None),
        ("root files share the lowest level", "core/a/x.cpp", "core/VBase.h", None),
        ("root file to its level", "core/VBase.cpp", "core/a/y.h", None),
        ("one level includes itself both ways", "core/b/x.cpp", "core/c/y.h", None),
        ("one level includes itself both ways, back", "core/c/x.cpp", "core/b/y.h", None),
        ("higher level from lower", "core/a/x.cpp", "core/b/y.h", "core/a/x.cpp:1: core/a includes core/b/y.h"),
        ("top from bottom", "core/b/x.cpp", "core/d/y.h", "core/b/x.cpp:1: core/b includes core/d/y.h"),
        ("sub-folder outside the order", "core/a/x.cpp", "core/e/y.h", "core/a/x.cpp:1: core/a includes core/e/y.h"),
    ]

    def test_cases(self):
        for name, source, header, expected in self.CASES:
            with self.subTest(name):
                faults = run({source: f'#include "{header}"\n', header: ""})
                # A header in an unplaced sub-folder is itself named too.
                faults = [f for f in faults if not f.startswith(header)]
                if expected is None:
                    self.assertEqual(faults, [])
                else:
                    self.assertEqual(len(faults), 1, faults)
                    self.assertTrue(faults[0].startswith(expected), faults[0])

    def test_unplaced_sub_folder_is_named(self):
        faults = run({"core/e/x.cpp": '#include "core/a/y.h"\n', "core/a/y.h": ""})
        self.assertEqual(faults, ["core/e/x.cpp:1: core/e has no place in the order declared for core"])


class Table(unittest.TestCase):
    def test_dependencies_follow_transitively_and_skip_non_layers(self):
        table = check_layers.Table.parse(TABLE.splitlines())
        allowed = table.allowed()
        self.assertEqual(allowed["top"], {"top", "mid", "low"})
        self.assertEqual(allowed["side"], {"side", "low"})
        self.assertEqual(table.orders["core"], [{".", "a"}, {"b", "c"}, {"d"}])

    def test_a_line_that_is_no_declaration_is_refused(self):
        for line in ["layer|a|b", "exempt", "order|core", "nonsense|x|y|z"]:
            with self.subTest(line):
                with self.assertRaises(ValueError):
                    check_layers.Table.parse([line])

    def test_main_answers_1_and_names_the_fault(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "low"))
            with open(os.path.join(root, "low", "x.h"), "w") as out:
                out.write('#include "top/t.h"\n')
            table = os.path.join(root, "layers.txt")
            with open(table, "w") as out:
                out.write(TABLE)
            self.assertEqual(check_layers.main(["--table", table, "--root", root]), 1)
            os.remove(os.path.join(root, "low", "x.h"))
            self.assertEqual(check_layers.main(["--table", table, "--root", root]), 0)


class ProjectLayers(unittest.TestCase):
    """The project's own table, as CMake writes it (QV_LAYER_TABLE): the
    views and the controls sit above graphics and the host, below the area."""
    CASES = [
        ("views on graphics", "views/v.cpp", "graphics/g.h", True),
        ("views on the host", "views/v.cpp", "host/h.h", True),
        ("controls on views", "controls/c.cpp", "views/v.h", True),
        ("area on controls", "area/a.cpp", "controls/c.h", True),
        ("graphics on views", "graphics/g.cpp", "views/v.h", False),
        ("host on views", "host/h.cpp", "views/v.h", False),
        ("engine on controls", "engine/e.cpp", "controls/c.h", False),
        ("document on views", "document/d.cpp", "views/v.h", False),
        ("views on controls", "views/v.cpp", "controls/c.h", False),
        ("controls on the area", "controls/c.cpp", "area/a.h", False),
        ("the old framework folder is no layer", "area/a.cpp", "framework/views/v.h", False),
    ]

    def test_cases(self):
        path = os.environ.get("QV_LAYER_TABLE")
        if not path:
            self.skipTest("QV_LAYER_TABLE names no table")
        with open(path, encoding="utf-8") as table_file:
            table = table_file.read()
        for name, source, header, allowed in self.CASES:
            with self.subTest(name):
                faults = run({source: f'#include "{header}"\n', header: ""}, table)
                faults = [f for f in faults if f.startswith(source)]
                self.assertEqual(faults == [], allowed, faults)


if __name__ == "__main__":
    unittest.main()
