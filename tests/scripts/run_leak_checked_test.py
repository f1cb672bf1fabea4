#!/usr/bin/env python3
"""tests/support/run-leak-checked.sh: a run whose only fault is the leak checker's crashed
tracer is repeated, up to three times; a failed test or any other failure is not."""

import os
import subprocess
import tempfile
import unittest

WRAPPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support",
                       "run-leak-checked.sh")

# A test program that crashes the tracer in its first `crashes` runs, then passes; a run
# count kept in a file beside it.
PROGRAM = """#!/usr/bin/env bash
count=$(($(cat "$0.count" 2>/dev/null || echo 0) + 1))
echo "$count" > "$0.count"
echo "[  PASSED  ] 7 tests."
[ -n "$FAIL_TEST" ] && echo "[  FAILED  ] Some.Test"
if [ "$count" -le "$CRASHES" ]; then
    echo "Tracer caught signal 11: addr=0x870"
    exit 1
fi
[ -n "$FAIL_TEST" ] && exit 1
exit 0
"""


class RunLeakChecked(unittest.TestCase):
    def run_with(self, crashes, fail_test=False):
        with tempfile.TemporaryDirectory() as folder:
            program = os.path.join(folder, "gl_fake")
            with open(program, "w") as file:
                file.write(PROGRAM)
            os.chmod(program, 0o755)
            env = dict(os.environ, CRASHES=str(crashes), FAIL_TEST="1" if fail_test else "")
            done = subprocess.run(["bash", WRAPPER, program], env=env, capture_output=True,
                                  text=True)
            with open(program + ".count") as file:
                runs = int(file.read())
        return done.returncode, runs

    def test_a_crashed_tracer_is_run_again_up_to_three_times(self):
        self.assertEqual(self.run_with(0), (0, 1))
        self.assertEqual(self.run_with(1), (0, 2))
        self.assertEqual(self.run_with(3), (0, 4))
        status, runs = self.run_with(4)
        self.assertNotEqual(status, 0)
        self.assertEqual(runs, 4)

    def test_a_failed_test_stands(self):
        status, runs = self.run_with(1, fail_test=True)
        self.assertNotEqual(status, 0)
        self.assertEqual(runs, 1)


if __name__ == "__main__":
    unittest.main()
