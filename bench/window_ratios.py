#!/usr/bin/env python3
"""Medians and ratios from a window benchmark's JSON report (bench_search_window,
bench_index_window, bench_history_window), in the shape of bench/README.md's tables.

    bench_index_window --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out=index.json --benchmark_out_format=json
    python3 bench/window_ratios.py index.json

Benchmarks are named <program>/<case>/<contestant>; the contestant "window" is the program's
own window and every other one a list beside it. "best / window" is the median of the
fastest list of that case over the window's, in wall time and, in brackets, in CPU time (which
other work on the machine moves less). Times: wall, CPU time in brackets.
"""
import json
import sys

UNIT = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def fmt(ms):
    return f"{ms:.3g} ms" if ms < 100 else f"{ms:.0f} ms"


def ratio(r):
    return f"{r:,.2f}×" if r < 10 else f"{r:,.0f}×"


def main(path):
    with open(path) as f:
        report = json.load(f)
    cases, contestants = {}, []
    for b in report["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        program_case, contestant = b["run_name"].rsplit("/", 1)
        case = program_case.split("/", 1)[1]
        rows = b.get("rows", b.get("items"))
        cases.setdefault(case, {})[contestant] = (b["real_time"] * UNIT[b["time_unit"]],
                                                  b["cpu_time"] * UNIT[b["time_unit"]], rows)
        if contestant != "window" and contestant not in contestants:
            contestants.append(contestant)
    print("| Case | rows | window | " + " | ".join(contestants) + " | best / window (CPU) |")
    print("|---|---|---|" + "---|" * len(contestants) + "---|")
    for case, m in cases.items():
        wall, cpu, rows = m["window"]
        cells = [f"{fmt(m[c][0])} ({fmt(m[c][1])})" for c in contestants]
        best = min(m[c][0] for c in contestants)
        best_cpu = min(m[c][1] for c in contestants)
        rows = "" if rows is None else f"{int(rows)}"
        print(f"| {case} | {rows} | {fmt(wall)} ({fmt(cpu)}) | " + " | ".join(cells) + f" | {ratio(best / wall)} ({ratio(best_cpu / cpu)}) |")


if __name__ == "__main__":
    main(sys.argv[1])
