# SPDX-License-Identifier: MIT
"""Processor time of the analysis and of `bode`: the previous build, this one, SciPy and Octave
in turn, round by round, so that all see the same load; prints the medians (microseconds) as a
Markdown table.

Usage: python3 alternate.py BEFORE/nirdal-bench AFTER/nirdal-bench [rounds]
SciPy's figures need python3 with scipy (/usr/bin/python3 on Debian), Octave's `octave` with
the control package; a peer that is missing is left out.
"""
import csv
import io
import os
import shutil
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OURS = [
    "BM_AnalyseClassOf180",
    "BM_AnalyseStability/CubicLagGain2",
    "BM_AnalyseStability/Fifteen",
    "BM_AnalyseStability/FifteenWithDelay",
    "BM_AnalyseStability/CubicLagDelay1000",
    "BM_AnalyseStability/CubicLagDelay1e4",
    "BM_AnalyseStability/CubicLagDelay1e6",
    "BM_FactorFifteen",
    "BM_LogCharacteristicsFifteen",
    "BM_LogPointsFifteen",
]
# What only a peer measures: SciPy's `bode` with the roots the corners need.
PEERS_ONLY = ["LogCharacteristicsFifteenWithRoots"]
UNIT = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def ours(bench):
    pattern = "^(" + "|".join(OURS) + ")$"
    output = subprocess.run(
        [bench, "--benchmark_filter=" + pattern, "--benchmark_format=csv",
         "--benchmark_min_time=0.2"],
        check=True, capture_output=True, text=True).stdout
    rows = csv.reader(io.StringIO(output[output.index("name,"):]))
    next(rows)
    return {row[0]: float(row[3]) * UNIT[row[4]] for row in rows}


def peer(command):
    output = subprocess.run(command, check=True, capture_output=True, text=True, cwd=HERE).stdout
    figures = {}
    for line in output.splitlines():
        name, _, value = line.partition(" ")
        figures[name] = float(value)
    return figures


def main():
    before, after = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    contenders = {"before": lambda: ours(before), "after": lambda: ours(after)}
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else "python3"
    if subprocess.run([python, "-c", "import scipy"], capture_output=True).returncode == 0:
        contenders["SciPy"] = lambda: peer([python, "scipy_peers.py", "1"])
    if shutil.which("octave"):
        contenders["Octave"] = lambda: peer(["octave", "--no-gui", "--quiet", "octave_peers.m", "1"])
    figures = {name: {} for name in contenders}
    for _ in range(rounds):
        for name, run in contenders.items():
            for case, value in run().items():
                figures[name].setdefault(case.removeprefix("BM_AnalyseStability/")
                                         .removeprefix("BM_"), []).append(value)
    cases = [case.removeprefix("BM_AnalyseStability/").removeprefix("BM_") for case in OURS]
    cases += PEERS_ONLY
    print("| case | " + " | ".join(contenders) + " |")
    print("|---|" + "---:|" * len(contenders))
    for case in cases:
        cells = []
        for name in contenders:
            values = figures[name].get(case)
            cells.append(f"{statistics.median(values):.1f}" if values else "")
        print(f"| {case} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
