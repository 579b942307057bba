#!/usr/bin/env python3
"""Fails unless shellcheck finds nothing at the warning level in the
project's shell scripts and in the `run:` steps of its workflows, each step
checked in the shell that GitHub's runner gives it (tools/workflow_steps.py):
in a container job that is `sh`, dash on Debian, where bash's `[[ ]]`,
arrays and pipefail fail. PowerShell steps are not shell scripts, and are
left to actionlint.

So that a check that finds nothing cannot pass, a container step with a
bash-only test planted in it must fail.

  check_shells.py SHELLCHECK SOURCE_DIR WORKFLOW...
"""

import os
import pathlib
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tools"))
import workflow_steps  # noqa: E402

SCRIPT_FOLDERS = (".ci", "fuzz", "tests", "tools")
PLANTED = "if [[ 1 == 1 ]]; then echo bash; else echo sh; fi\n"
# msys2 {0} is setup-msys2's bash.
DIALECTS = {"sh": "sh", "bash": "bash", "msys2": "bash"}


def shell_scripts(source):
    for folder in SCRIPT_FOLDERS:
        for path in sorted(pathlib.Path(source, folder).rglob("*")):
            if path.is_file():
                with open(path, "rb") as f:
                    first = f.readline()
                if re.match(rb"#!.*\b(ba)?sh\b", first):
                    yield path


def step_scripts(paths, scratch):
    """Each shell step as a script of its own, named after its workflow, job
    and step, headed as its shell runs it; and one container step with the
    planted test."""
    planted = None
    for path in paths:
        workflow = workflow_steps.load(path)
        for name, job in workflow["jobs"].items():
            for n, step in enumerate(job.get("steps", []), 1):
                if "run" not in step:
                    continue
                command = workflow_steps.shell_command(workflow, job, step).split()
                dialect = DIALECTS.get(os.path.basename(command[0]))
                if dialect is None:
                    continue
                flags = " -e" if any(re.fullmatch(r"-\w*e\w*", a) for a in command) else ""
                # What GitHub fills in before the shell sees it.
                text = re.sub(r"\$\{\{.*?\}\}", "github_expression", step["run"])
                text = text.rstrip("\n") + "\n"
                head = f"#!/bin/{dialect}{flags}\n"
                script = scratch / f"{pathlib.Path(path).name}-{name}-step{n}.sh"
                script.write_text(head + text, encoding="utf-8")
                yield script
                if planted is None and job.get("container") and dialect == "sh":
                    planted = scratch / "planted.sh"
                    planted.write_text(head + text + PLANTED, encoding="utf-8")
    if planted is None:
        sys.exit("check_shells: no container step to plant a bash-only test in")
    yield planted


def main():
    shellcheck, source, *workflows = sys.argv[1:]
    with tempfile.TemporaryDirectory() as tmp:
        scratch = pathlib.Path(tmp)
        scripts = list(shell_scripts(source))
        steps = list(step_scripts(workflows, scratch))
        run = subprocess.run([shellcheck, "--severity=warning", "--format=gcc", *scripts, *steps],
                             capture_output=True, text=True)
    findings = run.stdout.splitlines()
    planted = [f for f in findings if f.startswith(str(scratch / "planted.sh"))]
    # A step's line numbers as in its `run:`, less the header.
    real = [re.sub(r"^(.*?-step\d+\.sh):(\d+):", lambda m: f"{m[1]}:{int(m[2]) - 1}:",
                   f.replace(f"{scratch}/", "")) for f in findings if f not in planted]
    for finding in real:
        print(finding)
    print(f"check_shells: {len(scripts)} scripts and {len(steps) - 1} workflow steps checked")
    if run.returncode not in (0, 1) or run.stderr:
        print(f"check_shells: shellcheck failed: {run.stderr}")
        return 1
    if not any("[[ ]]" in f for f in planted):
        print("check_shells: shellcheck passed a bash-only test in a container step")
        return 1
    return 1 if real else 0


if __name__ == "__main__":
    sys.exit(main())
