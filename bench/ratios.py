#!/usr/bin/env python3
"""Medians and ratios from a bench_search JSON report, in the shape of bench/README.md's tables.

    bench_search --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out=search.json --benchmark_out_format=json
    python3 bench/ratios.py search.json
"""
import json
import sys

UNIT = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def medians(report):
    out = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name", "median") == "median":
            out[b["run_name"]] = (b["real_time"] * UNIT[b["time_unit"]], b.get("pages"))
    return out


def fmt(us):
    return f"{us / 1000:.2f} ms" if us >= 1000 else f"{us:.2f} µs"


def main(path):
    with open(path) as f:
        m = medians(json.load(f))
    print("| Loading | median |")
    print("|---|---|")
    for name, (t, _) in m.items():
        if name.startswith("load/"):
            print(f"| {name[5:]} | {fmt(t)} |")
    print()
    print("| Query | pages | plain search | FTS5 (our order) | FTS5 (rowid order) | engine "
          "| plain / engine | FTS5 / engine |")
    print("|---|---|---|---|---|---|---|---|")
    queries = []
    for name in m:
        if name.startswith("search/") and name.endswith("/engine"):
            queries.append(name[len("search/"):-len("/engine")])
    for q in queries:
        ref, pages = m[f"search/{q}/reference"]
        eng, _ = m[f"search/{q}/engine"]
        fts, _ = m[f"search/{q}/fts5"]
        raw, _ = m[f"search/{q}/fts5_rowid_order"]
        print(f'| "{q}" | {int(pages)} | {fmt(ref)} | {fmt(fts)} | {fmt(raw)} | {fmt(eng)} '
              f"| {ref / eng:,.0f}× | {fts / eng:,.0f}× |")


if __name__ == "__main__":
    main(sys.argv[1])
