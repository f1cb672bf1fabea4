#!/usr/bin/env python3
"""scripts/evaluate-planners' planners beyond the built-in pair: how --planner is read, and a
run whose planner failed counted as failed, not as a run of fewer frames."""

import importlib.machinery
import importlib.util
import json
import os
import tempfile
import types
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")


def load():
    loader = importlib.machinery.SourceFileLoader(
        "evaluate_planners", os.path.join(SCRIPTS, "evaluate-planners"))
    spec = importlib.util.spec_from_loader("evaluate_planners", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


class AddedPlanners(unittest.TestCase):
    def test_a_name_is_built_in_and_name_equals_command_a_program(self):
        module = load()
        self.assertEqual(module.parse_planner("orbit"), ("orbit", ["--planner", "orbit"]))
        self.assertEqual(module.parse_planner("mine=python3 p.py --x=1"),
                         ("mine", ["--planner-command", "python3 p.py --x=1"]))
        for bad in ("", "=python3 p.py", "mine=", "my planner=x", "default", "bound"):
            with self.assertRaises(ValueError, msg=bad):
                module.parse_planner(bad)
        module.EXTRA_PLANNERS[:] = [module.parse_planner("mine=python3 p.py")]
        self.assertEqual(module.all_planners(), ("default", "visibility", "mine"))
        self.assertEqual(module.planner_arguments("mine"), ["--planner-command", "python3 p.py"])
        self.assertEqual(module.planner_arguments("visibility"), ["--planner", "visibility"])

    def test_a_run_whose_planner_failed_is_a_failed_run(self):
        module = load()
        with tempfile.TemporaryDirectory() as out:
            os.makedirs(os.path.join(out, "runs"))
            with open(os.path.join(out, "runs", "w_1_mine.json"), "w") as file:
                json.dump({"ended": "planner failed", "frames": 3}, file)
            rows, failed = module.collect(types.SimpleNamespace(out=out),
                                          [("w_1_mine", "w", "1", "mine", [])])
        self.assertEqual(rows, [])
        self.assertEqual(len(failed), 1)
        self.assertIn("w_1_mine", failed[0])


if __name__ == "__main__":
    unittest.main()
