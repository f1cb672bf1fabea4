#!/usr/bin/env python3
"""scripts/check-layers: includes downwards pass, upwards and sideways are named, and the
repository itself keeps the order."""

import os
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SCRIPT = os.path.join(REPOSITORY, "scripts", "check-layers")


def check(repository):
    return subprocess.run([sys.executable, SCRIPT, repository], capture_output=True, text=True)


class CheckLayers(unittest.TestCase):
    def tree(self, files):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        os.makedirs(os.path.join(folder.name, "math"))
        for path, text in files.items():
            full = os.path.join(folder.name, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as file:
                file.write(text)
        return folder.name

    def test_the_repository_keeps_the_order(self):
        result = check(REPOSITORY)
        self.assertEqual(result.stdout, "")
        self.assertEqual(result.returncode, 0)

    def test_own_folder_lower_layers_and_system_headers_pass(self):
        repository = self.tree({
            "scenes/Scene.cpp": '#include "scenes/Scene.h"\n#include "planning/Ray.h"\n'
                                '#include "scenefile/SceneDescription.h"\n#include <vector>\n',
            "app/main.cpp": '#include "scenes/Scene.h"\n',
        })
        result = check(repository)
        self.assertEqual((result.returncode, result.stdout), (0, ""))

    def test_upward_and_sideways_includes_are_named_with_their_line(self):
        repository = self.tree({
            "planning/Step.cpp": '#include "planning/Step.h"\n\n#include "scenes/Scene.h"\n',
            "scenefile/Reader.cpp": '#  include "plandrawing/Legend.h"\n',
            "math/Vector3.h": '#include "platform/Random.h"\n',
        })
        result = check(repository)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout.splitlines(), [
            "math/Vector3.h:1: math includes platform/Random.h",
            "planning/Step.cpp:3: planning includes scenes/Scene.h",
            "scenefile/Reader.cpp:1: scenefile includes plandrawing/Legend.h",
        ])

    def test_a_folder_that_is_not_the_repository_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            result = check(folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn("not the repository", result.stderr)


if __name__ == "__main__":
    unittest.main()
