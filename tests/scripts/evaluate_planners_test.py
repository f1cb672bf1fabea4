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


def world(share, hidden, hidden_2s, inside=0, turn_p99=30.0, turn_max=60.0, path=100.0,
          headroom=None):
    row = {"share": share, "hidden": hidden, "hidden_2s": hidden_2s, "inside": inside,
           "turn_p99": turn_p99, "turn_max": turn_max, "path": path}
    if headroom is not None:
        row["headroom_2s"] = headroom
    return row


class AddedPlannersGoals(unittest.TestCase):
    def row_of(self, module, family, default, mine):
        families = {family: {"default": dict(enumerate(default)), "mine": dict(enumerate(mine))}}
        lines = module.planner_goals_table(families, "mine")
        self.assertEqual(len(lines), 5)
        return [cell.strip() for cell in lines[-1].split("|")[1:-1]]

    def test_each_goal_marked_at_its_edge(self):
        module = load()
        # At the edges: share default - 0.002, hidden 1.02 x default + 1, captured 0.70,
        # turn p99 1.1 x default's above 90: every goal met.
        cells = self.row_of(module, "orbiting",
                            [world(0.9, 100, 50, turn_p99=100.0, headroom=40)],
                            [world(0.898, 103, 22, turn_p99=110.0)])
        self.assertEqual(cells[1:], ["0.900 → 0.898", "100 → 103", "0.70 (1)", "0 → 0",
                                     "0 of 1", "1.00, 1.00"])
        # Past every edge: each goal missed.
        cells = self.row_of(module, "orbiting",
                            [world(0.9, 100, 50, turn_p99=100.0, headroom=40)],
                            [world(0.897, 104, 23, inside=1, turn_p99=110.5)])
        self.assertTrue(all(cell.endswith("✗") for cell in cells[1:6]), cells)

    def test_crowded_worlds_and_scene_3_ask_other_goals(self):
        module = load()
        # In a crowded family the captured share is not asked and inside may match the
        # default's; the turn's fixed limits hold where the default turns slowly.
        cells = self.row_of(module, "swarm-dense",
                            [world(0.3, 900, 800, inside=5, headroom=400), world(0.3, 900, 800)],
                            [world(0.3, 900, 790, inside=5, turn_max=180.0), world(0.3, 900, 800)])
        self.assertEqual(cells[3:6], ["0.03 (1)", "5 → 5", "0 of 2"])
        cells = self.row_of(module, "swarm-dense", [world(0.3, 900, 800)],
                            [world(0.3, 900, 800, inside=1, turn_max=181.0)])
        self.assertEqual(cells[3:6], ["-", "0 → 1 ✗", "1 of 1 ✗"])
        # Scene 3: the path at most 1.3 times the default's; elsewhere only reported.
        scene = self.row_of(module, "scene3 dt 0.016", [world(1, 0, 0)], [world(1, 0, 0, path=131)])
        self.assertEqual(scene[6], "1.31, 1.31 ✗")
        other = self.row_of(module, "orbiting", [world(1, 0, 0)], [world(1, 0, 0, path=131)])
        self.assertEqual(other[6], "1.31, 1.31")


class BoundSeeds(unittest.TestCase):
    def test_all_none_or_a_list(self):
        module = load()
        corpus = module.load_corpus_module()
        self.assertIsNone(module.parse_bound_seeds("all", corpus))
        self.assertEqual(module.parse_bound_seeds("none", corpus), set())
        chosen = module.parse_bound_seeds("3001-3003,7", corpus)
        self.assertEqual(chosen, {3001, 3002, 3003, 7})
        self.assertTrue(module.wants_bound(None, 5))
        self.assertTrue(module.wants_bound(chosen, 3003))
        self.assertFalse(module.wants_bound(chosen, 3004))
        with self.assertRaises(SystemExit):
            module.parse_bound_seeds(",", corpus)

    def test_only_the_chosen_seeds_get_a_bound_job(self):
        module = load()
        with tempfile.TemporaryDirectory() as out:
            args = types.SimpleNamespace(build=out, out=out, seconds=30.0, dt=0.016,
                                         no_builtins=False, builtin_dts="0.016",
                                         builtin_seconds=60.0, reuse=False,
                                         bound_seeds={2})
            worlds = [("orbiting", 1, "a.json"), ("orbiting", 2, "b.json")]
            jobs, _ = module.build_jobs(args, out, worlds)
            bounds = [name for name, _, _, planner, _ in jobs if planner == module.BOUND]
            self.assertEqual(bounds, ["orbiting_2_bound"] +
                             [f"scene{n}_dt0.016_bound" for n in (1, 2, 3, 4)])
            args.bound_seeds = set()
            jobs, _ = module.build_jobs(args, out, worlds)
            self.assertFalse([job for job in jobs if job[3] == module.BOUND])


if __name__ == "__main__":
    unittest.main()
