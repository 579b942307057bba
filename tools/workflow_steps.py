#!/usr/bin/env python3
"""The steps of a GitHub Actions job as the runner runs them: each `run:`
step with the shell command that the runner uses for it and the
environment it gets from the workflow, the job and the step.

The shell is the step's `shell`, else the job's `defaults.run.shell`, else
the workflow's; without any, `sh -e {0}` in a container job (dash, on
Debian's images) and `bash -e {0}` on the runner itself. {0} is the file
that the runner writes the script to.

  workflow_steps.py WORKFLOW JOB

prints each step as NUL-terminated fields: "uses" and the action, or "run",
the shell command, the environment as NAME=VALUE lines, and the script.
"""

import sys

import yaml

# The commands that the runner gives the shells this project uses by name.
COMMANDS = {
    "bash": "bash --noprofile --norc -eo pipefail {0}",
    "sh": "sh -e {0}",
    "pwsh": "pwsh -command \". '{0}'\"",
}


def load(path):
    with open(path, encoding="utf-8") as f:
        return yaml.safe_load(f)


def shell_command(workflow, job, step):
    shell = (step.get("shell") or job.get("defaults", {}).get("run", {}).get("shell")
             or workflow.get("defaults", {}).get("run", {}).get("shell"))
    if shell:
        return COMMANDS.get(shell, shell)
    if "windows" in str(job.get("runs-on", "")):
        return COMMANDS["pwsh"]
    return "sh -e {0}" if job.get("container") else "bash -e {0}"


def environment(workflow, job, step):
    return {**workflow.get("env", {}), **job.get("env", {}), **step.get("env", {})}


def main():
    path, name = sys.argv[1:3]
    workflow = load(path)
    job = workflow["jobs"][name]
    for step in job["steps"]:
        if "run" in step:
            env = "".join(f"{k}={v}\n" for k, v in environment(workflow, job, step).items())
            fields = ["run", shell_command(workflow, job, step), env, step["run"]]
        else:
            fields = ["uses", step["uses"]]
        sys.stdout.write("".join(f + "\0" for f in fields))


if __name__ == "__main__":
    main()
