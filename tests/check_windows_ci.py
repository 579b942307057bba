#!/usr/bin/env python3
"""Fails unless the Windows CI workflow is valid YAML, and every preset it
runs (`cmake --workflow --preset NAME`) is a workflow preset of the
presets file. The workflow cannot run on Linux; this keeps it from
falling out of step with the presets unseen.

  check_windows_ci.py WORKFLOW PRESETS
"""

import json
import re
import sys

import yaml


def main():
    workflow_path, presets_path = sys.argv[1:3]
    with open(workflow_path, encoding="utf-8") as f:
        workflow = yaml.safe_load(f)
    with open(presets_path, encoding="utf-8") as f:
        presets = {preset["name"] for preset in json.load(f)["workflowPresets"]}
    runs = "\n".join(step.get("run", "") for job in workflow["jobs"].values()
                     for step in job["steps"])
    named = re.findall(r"cmake --workflow --preset (\S+)", runs)
    missing = sorted(set(named) - presets)
    if not named or missing:
        print(f"check_windows_ci: runs the presets {named}; not workflow presets: {missing}")
        return 1
    print("check_windows_ci: runs the presets", ", ".join(named))
    return 0


if __name__ == "__main__":
    sys.exit(main())
