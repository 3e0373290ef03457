#!/usr/bin/env python3
"""Checks tavorix JSON reports against the report schema.

    validate_report.py SCHEMA REPORT...

Exit code 0 when every report is valid, 1 when one is not (each fault on a
line: file, where in the document, what is wrong), 77 when the jsonschema
module is not installed.
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("the Python module jsonschema is not installed (Debian: python3-jsonschema)", file=sys.stderr)
    sys.exit(77)

with open(sys.argv[1], encoding="utf-8") as file:
    schema = json.load(file)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
faults = 0
for path in sys.argv[2:]:
    with open(path, encoding="utf-8") as file:
        report = json.load(file)
    for error in validator.iter_errors(report):
        faults += 1
        where = "/".join(str(part) for part in error.absolute_path)
        print(f"{path}: /{where}: {error.message}")
sys.exit(1 if faults else 0)
