#!/usr/bin/env python3
"""A planner of your own, in Python with the standard library only: the camera keeps a fixed
offset from the target, above and behind it, and looks at it.

veltrava-sim runs it with --planner-command "python3 examples/planners/fixed_offset.py" and
talks to it in JSON Lines: one world message first, then one state message per step, each
answered by one command line (docs/planners.md).
"""

import json
import sys

# Where the camera wants to be, relative to the target's centre, in multiples of the
# distance the camera brakes to rest at (its stop distance plus the target's radius).
OFFSET = (0.0, 0.6, 0.8)


def add(a, b):
    return [a[0] + b[0], a[1] + b[1], a[2] + b[2]]


def scale(a, s):
    return [a[0] * s, a[1] * s, a[2] * s]


def main():
    world = json.loads(sys.stdin.readline())
    if world.get("version") != 1:
        sys.exit("fixed_offset.py: protocol version %r is not 1" % world.get("version"))
    stop_distance = world["camera"]["stop_distance"]
    horizon = world["velocity_horizon"]

    for line in sys.stdin:
        state = json.loads(line)
        target = state["target"]
        centre = target["center"]
        reach = stop_distance + target["radius"]
        # Aim where the target will be a moment from now, from its velocity.
        body = state["bodies"][target["index"]]
        ahead = add(centre, scale(body[4:7], horizon * 10))
        viewpoint = add(ahead, scale(OFFSET, reach))
        # The camera brakes to rest at its stop distance from the goal: a goal one stop
        # distance beyond the viewpoint, on the line from the camera, lets it arrive there.
        eye = state["camera"]["position"]
        way = [viewpoint[i] - eye[i] for i in range(3)]
        length = sum(c * c for c in way) ** 0.5
        beyond = scale(way, stop_distance / length) if length > 1e-6 else [0.0, 0.0, 0.0]
        command = {
            "waypoint": viewpoint,
            "next_waypoint": add(viewpoint, beyond),
            "goal": add(viewpoint, beyond),
            "look_target": centre,
        }
        sys.stdout.write(json.dumps(command) + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
