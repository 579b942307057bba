#!/usr/bin/env python3
"""Measures the release fire_stats against the plain C baseline (baseline.c)
on the same inputs: median wall time, output throughput and peak resident
memory, and the ratio of fire_stats to the baseline.

  python3 bench/run.py [--runs N]

Both programs run alternately, after a warm-up, with standard output sent
to /dev/null; before timing, both outputs are checked to be identical.
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
ANSWERS = b"500 600 1200 1100 300 300 800 1800 2500 2400 150 1150 900 950 40000 100\n"

# (name, what the input is, runs relative to --runs, whether time is reported)
WORKLOADS = [
    ("sixteen answers", "16 valid answers: start-up, 16 prompts, the report", 100, True),
    ("1M refusals", "1,000,000 answers of 99, then 16 valid ones", 1, True),
    ("200 MB number", "a 200 MB run of digits, then 16 valid answers", 1, False),
]
TARGETS = {"sixteen answers": 1.0, "1M refusals": 0.8}  # time ratios
MEMORY_TARGET = 1.1


def build(work):
    subprocess.run(["cmake", "--workflow", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    baseline = work / "baseline"
    subprocess.run(["cc", "-std=c11", "-O2", "-o", baseline, ROOT / "bench" / "baseline.c"],
                   check=True)
    return {"fire_stats": ROOT / "build" / "release" / "fire_stats", "baseline": baseline}


def make_inputs(work):
    files = {}
    files["sixteen answers"] = work / "sixteen.txt"
    files["sixteen answers"].write_bytes(ANSWERS)
    files["1M refusals"] = work / "refusals.txt"
    files["1M refusals"].write_bytes(b"99\n" * 1_000_000 + ANSWERS)
    files["200 MB number"] = work / "number.txt"
    with open(files["200 MB number"], "wb") as f:
        for _ in range(200):
            f.write(b"7" * 1_000_000)
        f.write(b"\n" + ANSWERS)
    return files


def run_once(program, input_path, output=os.devnull):
    """Wall seconds of one run."""
    with open(input_path, "rb") as stdin, open(output, "wb") as stdout:
        start = time.perf_counter()
        status = subprocess.run([program], stdin=stdin, stdout=stdout).returncode
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"bench: {program} failed on {input_path}")
    return elapsed


def peak_memory(program, input_path, work):
    """Peak resident KiB of one run, as GNU time reports it. (The rusage of a
    child forked from this script would count the script's own pages.)"""
    report = work / "time"
    with open(input_path, "rb") as stdin:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, program], stdin=stdin,
                       stdout=subprocess.DEVNULL, check=True)
    return int(report.read_text().split()[-1])


def output_of(program, input_path, work):
    path = work / "out"
    run_once(program, input_path, path)
    return path.read_bytes()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        work = pathlib.Path(tmp)
        programs = build(work)
        inputs = make_inputs(work)
        rows = []
        for name, description, scale, timed in WORKLOADS:
            size, wall = None, {}
            if timed:
                outputs = {p: output_of(programs[p], inputs[name], work) for p in programs}
                if outputs["fire_stats"] != outputs["baseline"]:
                    sys.exit(f"bench: the two programs disagree on '{name}'")
                size = len(outputs["fire_stats"])
                times = {p: [] for p in programs}
                for p in programs:  # warm-up
                    run_once(programs[p], inputs[name])
                for _ in range(args.runs * scale):
                    for p in programs:
                        times[p].append(run_once(programs[p], inputs[name]))
                wall = {p: statistics.median(times[p]) for p in programs}
            memory = {p: [] for p in programs}
            for _ in range(3):
                for p in programs:
                    memory[p].append(peak_memory(programs[p], inputs[name], work))
            rows.append((name, description, timed, size, wall,
                         {p: max(memory[p]) for p in programs}))
        sys.exit(0 if report(rows, args.runs) else 1)


def report(rows, runs):
    print(f"fire_stats against the C baseline: median wall time of {runs} runs each "
          f"({runs * WORKLOADS[0][2]} for the first workload), output to /dev/null; "
          "peak RSS, the largest of 3 runs under /usr/bin/time")
    print()
    print("| workload | program | median wall | output | throughput | peak RSS |")
    print("|---|---|---|---|---|---|")
    verdicts = []
    for name, _, timed, size, wall, rss in rows:
        for p in ("fire_stats", "baseline"):
            if timed:
                mb = size / 1e6
                shown = f"{mb:.1f} MB" if mb >= 1 else f"{size / 1e3:.1f} kB"
                print(f"| {name} | {p} | {wall[p] * 1000:.2f} ms | {shown} | "
                      f"{mb / wall[p]:.1f} MB/s | {rss[p]} KiB |")
            else:
                print(f"| {name} | {p} | - | - | - | {rss[p]} KiB |")
        time_ratio = wall["fire_stats"] / wall["baseline"] if timed else None
        memory_ratio = rss["fire_stats"] / rss["baseline"]
        ratio = f"time {time_ratio:.2f}, " if timed else ""
        print(f"| {name} | **ratio** | {ratio}memory {memory_ratio:.2f} | | | |")
        if name in TARGETS:
            verdicts.append((f"{name}: time ratio {time_ratio:.2f}", time_ratio <= TARGETS[name],
                             TARGETS[name]))
        verdicts.append((f"{name}: memory ratio {memory_ratio:.2f}", memory_ratio <= MEMORY_TARGET,
                         MEMORY_TARGET))
    print()
    for text, ok, target in verdicts:
        print(f"{'meets' if ok else 'MISSES'} target: {text} (at most {target})")
    print()
    for name, description, *_ in rows:
        print(f"- {name}: {description}")
    return all(ok for _, ok, _ in verdicts)


if __name__ == "__main__":
    main()
