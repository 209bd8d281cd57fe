#!/usr/bin/env python3
"""The table of bench/cgi_cost.sh, from its raw files.

  cgi_cost_table.py RAW_DIR SIZE... < labels

Reads the row labels (one a line, in order) on standard input; RAW_DIR/I.SIZE
holds row I's requests at SIZE notices, one a line: "A|B wall_ms cpu_ms
bytes" (A is Tavrix.exe, B the floor). Prints one Markdown table, a line per
action and size; the last two columns, on the largest size's line, compare it
with the smallest size: wall time relative to each size's own floor (which
takes out the machine's drift between rounds) and CPU time.
"""
import os
import statistics
import sys


def quantile(values, q):
    values = sorted(values)
    return values[int(q * (len(values) - 1) + 0.5)]


def load(path):
    rows = {"A": [], "B": []}
    with open(path) as f:
        for line in f:
            who, wall, cpu, size = line.split()
            rows[who].append((float(wall), float(cpu), int(size)))
    return rows


def figures(rows):
    out = {}
    for who in ("A", "B"):
        wall = [r[0] for r in rows[who]]
        cpu = [r[1] for r in rows[who]]
        out[who] = {
            "wall": statistics.median(wall),
            "p90": quantile(wall, 0.9),
            "cpu": statistics.median(cpu),
            "bytes": int(statistics.median([r[2] for r in rows[who]])),
            "n": len(wall),
        }
    return out


def main():
    raw_dir = sys.argv[1]
    sizes = [int(s) for s in sys.argv[2:]]
    labels = [line.rstrip("\n") for line in sys.stdin if line.strip()]
    print("| action | notices | bytes | Tavrix wall | floor wall | ratio | Tavrix cpu | floor cpu "
          "| cpu ratio | %s/%s wall, floor-relative | %s/%s cpu |"
          % (f"{sizes[-1]:,}", f"{sizes[0]:,}", f"{sizes[-1]:,}", f"{sizes[0]:,}"))
    print("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|")
    for i, label in enumerate(labels):
        per_size = {}
        for size in sizes:
            per_size[size] = figures(load(os.path.join(raw_dir, f"{i}.{size}")))
        for size in sizes:
            f = per_size[size]
            a, b = f["A"], f["B"]
            growth = ""
            if size == sizes[-1] and len(sizes) > 1:
                s0 = per_size[sizes[0]]
                rel = (a["wall"] / b["wall"]) / (s0["A"]["wall"] / s0["B"]["wall"])
                growth = f"| {rel:.2f} | {a['cpu'] / s0['A']['cpu']:.2f} "
            else:
                growth = "| | "
            print(f"| {label} | {size:,} | {a['bytes']} | {a['wall']:.3f}/{a['p90']:.3f} "
                  f"| {b['wall']:.3f}/{b['p90']:.3f} | {a['wall'] / b['wall']:.2f} "
                  f"| {a['cpu']:.3f} | {b['cpu']:.3f} | {a['cpu'] / b['cpu']:.2f} {growth}|")


if __name__ == "__main__":
    main()
