#!/usr/bin/env python3
"""Validates run reports against the report schema: validate_report.py SCHEMA REPORT...

Exits 0 when every report is valid, else prints each fault and exits 1."""
import json
import sys

import jsonschema


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    faults = 0
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as f:
            report = json.load(f)
        for error in validator.iter_errors(report):
            print(f"{path}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
            faults += 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
