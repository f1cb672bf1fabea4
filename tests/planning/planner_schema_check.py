#!/usr/bin/env python3
"""The planner protocol's JSON Schemas against what veltrava-sim really sends: a planner that
records every line it is sent and answers with the Python example's commands. The world
message, its scene, every state and every command must be valid; a command without a field
must not be. Usage: planner_schema_check.py REPOSITORY VELTRAVA_SIM. Exit status 0 when all
hold."""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

repo, sim = sys.argv[1], sys.argv[2]


def schema(name):
    with open(os.path.join(repo, "docs", name)) as file:
        return json.load(file)


with tempfile.TemporaryDirectory() as work:
    sent, answered = os.path.join(work, "sent.jsonl"), os.path.join(work, "answered.jsonl")
    example = os.path.join(repo, "examples", "planners", "fixed_offset.py")
    # tee would pass a line on before it writes its copy, and veltrava-sim ends the planner as
    # soon as the last answer is in: the copy could be lost. This recorder keeps the line first.
    recorder = os.path.join(work, "record.py")
    with open(recorder, "w") as file:
        file.write("import sys\n"
                   "with open(sys.argv[1], 'w') as copy:\n"
                   "    for line in sys.stdin:\n"
                   "        copy.write(line)\n"
                   "        copy.flush()\n"
                   "        sys.stdout.write(line)\n"
                   "        sys.stdout.flush()\n")
    command = (f"python3 -u {recorder} {sent} | python3 {example} | "
               f"python3 -u {recorder} {answered}")
    subprocess.run([sim, "--headless", "--scene", "4", "--seconds", "0.5", "--planner-command",
                    command], check=True, stdout=subprocess.DEVNULL)
    with open(sent) as file:
        messages = [json.loads(line) for line in file]
    with open(answered) as file:
        commands = [json.loads(line) for line in file]

jsonschema.validate(messages[0], schema("planner-world.schema.json"))
jsonschema.validate(messages[0]["scene"], schema("scene-format.schema.json"))
states = messages[1:]
assert len(states) == 31, len(states)
for state in states:
    jsonschema.validate(state, schema("planner-state.schema.json"))
    # Every body, each step: Scene 4's ball and its swarm of 100.
    assert len(state["bodies"]) == 101, len(state["bodies"])
    assert 0 <= state["target"]["index"] < len(state["bodies"])
assert len(commands) == len(states), (len(commands), len(states))
command_schema = schema("planner-command.schema.json")
for command in commands:
    jsonschema.validate(command, command_schema)
del commands[0]["goal"]
try:
    jsonschema.validate(commands[0], command_schema)
    sys.exit("a command without a goal passed the schema")
except jsonschema.ValidationError:
    pass
print(f"valid: the world, {len(states)} states and {len(commands)} commands")
