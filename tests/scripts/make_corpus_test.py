#!/usr/bin/env python3
"""scripts/make-corpus: the same seeds give the same files, each world independent of what
else is written, and every world a scene file with one target among obstacles."""

import hashlib
import importlib.machinery
import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "make-corpus")


def load():
    loader = importlib.machinery.SourceFileLoader("make_corpus", SCRIPT)
    spec = importlib.util.spec_from_loader("make_corpus", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def digest_tree(folder):
    """Each file's digest and size by its path: a failed comparison then shows which files
    differ in a few lines rather than every world whole."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as file:
                content = file.read()
            files[os.path.relpath(path, folder)] = (
                f"sha256 {hashlib.sha256(content).hexdigest()[:16]}, {len(content)} bytes")
    return files


class MakeCorpus(unittest.TestCase):
    def run_script(self, *args):
        return subprocess.run([sys.executable, SCRIPT, *args], capture_output=True, text=True)

    def test_same_seeds_write_the_same_files_whatever_else_is_written(self):
        with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
            self.assertEqual(self.run_script("--out", first, "--seeds", "1-2,7").returncode, 0)
            # Another process, the seeds in another order and fewer families besides.
            for family in load().FAMILIES:
                done = self.run_script("--out", second, "--seeds", "7,2,1", "--families",
                                       family)
                self.assertEqual(done.returncode, 0, done.stderr)
            one, other = digest_tree(first), digest_tree(second)
            self.assertEqual(len(one), 3 * len(load().FAMILIES))
            self.assertEqual(one, other)
            # Other seeds give other worlds.
            self.assertNotEqual(one["walls/1.json"], one["walls/2.json"])

    def test_every_world_has_one_target_and_a_camera_apart_from_it(self):
        corpus = load()
        for family in corpus.FAMILIES:
            world = corpus.make_world(family, 3)
            self.assertEqual(world["format"], "veltrava-scene")
            targets = [body for body in world["bodies"] if body.get("interest", 0) > 0]
            self.assertEqual(len(targets), 1, family)
            for group in world["groups"]:
                for body in group.get("bodies", []):
                    self.assertEqual(body.get("interest", 0), 0, family)
            eye, centre = world["camera"]["position"], targets[0]["position"]
            distance = sum((a - b) ** 2 for a, b in zip(eye, centre)) ** 0.5
            self.assertGreater(distance, world["camera"]["stopDistance"], family)

    def test_bad_seeds_and_families_are_refused_with_a_message(self):
        for args in (["--seeds", "5-1"], ["--seeds", "x"], ["--families", "nowhere"]):
            with tempfile.TemporaryDirectory() as folder:
                done = self.run_script("--out", folder, *args)
                self.assertNotEqual(done.returncode, 0, args)
                self.assertIn("make-corpus:", done.stderr)
                self.assertEqual(os.listdir(folder), [], args)


if __name__ == "__main__":
    unittest.main()
