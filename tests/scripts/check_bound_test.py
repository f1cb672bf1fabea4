#!/usr/bin/env python3
"""scripts/check-bound fails on a planner run below its world's bound, but only lists one
whose camera left the band; scripts/evaluate-planners leaves a captured share blank where
the headroom is too small to judge by."""

import importlib.machinery
import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")


def summary(hidden, hidden_2s, near_2s=0, relocations=0):
    return {"relocations": relocations,
            "visibility": {"hidden_frames": hidden, "inside_frames": 0},
            "visibility_from_2s": {"hidden_frames": hidden_2s, "near_frames": near_2s,
                                   "far_frames": 0}}


class CheckBound(unittest.TestCase):
    def check(self, runs):
        with tempfile.TemporaryDirectory() as folder:
            os.makedirs(os.path.join(folder, "runs"))
            for name, content in runs.items():
                with open(os.path.join(folder, "runs", name + ".json"), "w") as file:
                    json.dump(content, file)
            return subprocess.run([sys.executable, os.path.join(SCRIPTS, "check-bound"), folder],
                                  capture_output=True, text=True)

    def test_a_run_below_the_bound_fails_unless_it_left_the_band(self):
        bound = {"bound": {"reachable_hidden_frames": 40, "reachable_hidden_frames_from_2s": 30}}
        fine = self.check({"w_1_bound": bound, "w_1_default": summary(40, 30)})
        self.assertEqual(fine.returncode, 0, fine.stdout)
        self.assertIn("1 runs, 0 below the bound", fine.stdout)

        below = self.check({"w_1_bound": bound, "w_1_default": summary(41, 29)})
        self.assertEqual(below.returncode, 1)
        self.assertIn("BELOW THE BOUND: w_1 default: 29 hidden frames from 2 s, bound 30",
                      below.stdout)

        outside = self.check({"w_1_bound": bound,
                              "w_1_visibility": summary(10, 5, near_2s=3, relocations=1)})
        self.assertEqual(outside.returncode, 0, outside.stdout)
        self.assertIn("out of the band: w_1 visibility: 10 hidden frames whole run, bound 40 "
                      "(3 frames nearer than 0.5 D, 1 pushes out of a body)", outside.stdout)

        nothing = self.check({"w_1_default": summary(1, 1)})
        self.assertEqual(nothing.returncode, 2)


class CapturedShare(unittest.TestCase):
    def test_headroom_and_share_per_world(self):
        loader = importlib.machinery.SourceFileLoader(
            "evaluate_planners", os.path.join(SCRIPTS, "evaluate-planners"))
        spec = importlib.util.spec_from_loader("evaluate_planners", loader)
        module = importlib.util.module_from_spec(spec)
        loader.exec_module(module)
        rows = [{"family": "f", "seed": "1", "planner": "default", "hidden_2s": 50},
                {"family": "f", "seed": "1", "planner": "visibility", "hidden_2s": 20},
                {"family": "f", "seed": "1", "planner": "bound", "reachable_2s": 10,
                 "unavoidable_2s": 4},
                {"family": "f", "seed": "2", "planner": "default", "hidden_2s": 19},
                {"family": "f", "seed": "2", "planner": "visibility", "hidden_2s": 12},
                {"family": "f", "seed": "2", "planner": "bound", "reachable_2s": 10,
                 "unavoidable_2s": 0}]
        module.add_headroom(rows)
        self.assertEqual(rows[1]["headroom_2s"], 40)
        self.assertEqual(rows[1]["captured"], 0.75)
        self.assertEqual(rows[0]["captured"], 0.0)
        self.assertEqual(rows[1]["bound_unavoidable_2s"], 4)
        # A headroom of 9 frames: no share.
        self.assertEqual(rows[4]["headroom_2s"], 9)
        self.assertIsNone(rows[4]["captured"])


if __name__ == "__main__":
    unittest.main()
