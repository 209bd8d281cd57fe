#!/usr/bin/env python3
"""Checks the table after fault_load.sh: every answered save is there with
its last answered title, every answered deletion is gone, numbers are
distinct, and each notice's view counter rose by exactly the views answered,
plus at most the views whose answer was lost (the program was killed) or
never came (still in flight when the readers stopped).

    fault_check.py --export FILE --before FILE --views FILE --admin FILE
"""
import argparse
import json
import sys


def load_jsonl(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def main():
    ap = argparse.ArgumentParser()
    for name in ("export", "before", "views", "admin"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()
    after = load_jsonl(a.export)
    before = {n["nyno"]: n for n in load_jsonl(a.before)}
    admin = json.load(open(a.admin, encoding="utf-8"))
    failures = []

    numbers = [n["nyno"] for n in after]
    if len(numbers) != len(set(numbers)):
        failures.append("two live notices share a number")
    titles = {n["title"]: n for n in after}

    lost = wrong = gone_back = 0
    for key, n in admin["notices"].items():
        present = [t for t in (n["title"], n.get("maybe")) if t and t in titles]
        if n["state"] == "live":
            if not present:
                lost += 1
            elif n.get("maybe") is None and n["title"] not in titles:
                wrong += 1
        elif n["state"] == "deleted" and present:
            gone_back += 1
    if lost:
        failures.append(f"{lost} answered saves are missing")
    if wrong:
        failures.append(f"{wrong} answered edits are not in the table")
    if gone_back:
        failures.append(f"{gone_back} answered deletions came back")

    answered_views = failed_views = inflight_views = exact = 0
    view_mismatches = []
    live = {n["nyno"]: n for n in after}
    for line in open(a.views):
        nyno, ok, failed, inflight = map(int, line.split())
        answered_views += ok
        failed_views += failed
        inflight_views += inflight
        rose = live[nyno]["qty"] - before[nyno]["qty"]
        if failed == 0 and inflight == 0:
            exact += 1
        if not ok <= rose <= ok + failed + inflight:
            view_mismatches.append(f"notice {nyno}: {ok} answered, {failed} lost, {inflight} in flight, "
                                   f"counter rose {rose}")
    if view_mismatches:
        failures.append("view counters off: " + "; ".join(view_mismatches[:5]))

    doubt = sum(1 for n in admin["notices"].values() if n["state"] == "doubt")
    print(f"saves: {admin['answered']} of {admin['sent']} answered, {doubt} in doubt (killed), "
          f"{lost} lost; live notices {len(after)}, numbers distinct: {len(numbers) == len(set(numbers))}")
    print(f"views: {answered_views} answered, {failed_views} lost to kills, {inflight_views} in flight at "
          f"the stop; {exact} notices had every view answered and their counters rose by exactly that; "
          f"{len(view_mismatches)} counters out of bounds")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
