#!/usr/bin/env python3
"""The scene format's JSON Schema against the example worlds and the broken-file table: the
schema must accept every example and reject every broken file it can see (the table marks
with "schema": false what only the reader can see). Exit status 0 when all hold."""
import copy
import glob
import json
import os
import sys

import jsonschema

repo = sys.argv[1]


def pointer_parts(pointer):
    return [p.replace("~1", "/").replace("~0", "~") for p in pointer.split("/")[1:]]


def apply_patch(document, patch):
    """The three RFC 6902 operations the table uses."""
    result = copy.deepcopy(document)
    for operation in patch:
        parts = pointer_parts(operation["path"])
        parent = result
        for part in parts[:-1]:
            parent = parent[int(part)] if isinstance(parent, list) else parent[part]
        last = parts[-1]
        if isinstance(parent, list):
            if operation["op"] == "add":
                parent.insert(len(parent) if last == "-" else int(last), operation["value"])
            elif operation["op"] == "replace":
                parent[int(last)] = operation["value"]
            else:
                del parent[int(last)]
        elif operation["op"] == "remove":
            del parent[last]
        else:
            parent[last] = operation["value"]
    return result


with open(os.path.join(repo, "docs", "scene-format.schema.json")) as f:
    schema = json.load(f)
jsonschema.Draft7Validator.check_schema(schema)
validator = jsonschema.Draft7Validator(schema)

faults = []
examples = sorted(glob.glob(os.path.join(repo, "examples", "*.json")))
if not examples:
    faults.append("no example worlds found")
for path in examples:
    with open(path) as f:
        errors = list(validator.iter_errors(json.load(f)))
    if errors:
        faults.append(f"{path}: refused by the schema: {errors[0].message}")

with open(os.path.join(repo, "tests", "scenefile", "scene-files", "broken.json")) as f:
    table = json.load(f)
if list(validator.iter_errors(table["base"])):
    faults.append("the table's base world is refused by the schema")
checked = 0
for case in table["cases"]:
    if not case.get("schema", True):
        continue
    document = json.loads(case["text"]) if "text" in case else apply_patch(table["base"], case["patch"])
    checked += 1
    if validator.is_valid(document):
        faults.append(f"accepted by the schema, refused by the reader: {case['message']}")

for fault in faults:
    print(fault, file=sys.stderr)
print(f"{len(examples)} examples accepted, {checked} broken files rejected" if not faults else "")
sys.exit(1 if faults else 0)
