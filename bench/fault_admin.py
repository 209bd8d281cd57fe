#!/usr/bin/env python3
"""The administrator of fault_load.sh: for a given time, adds, edits and
deletes notices of its own through the board, and records the outcome of
every save it sent — answered (the page that follows a save came back whole)
or in doubt (the program was killed, or the answer was cut) — as JSON.

    fault_admin.py --port N --seconds S --out FILE
"""
import argparse
import http.client
import json
import random
import time
import urllib.parse

PASSWORD = "1827364"


def post(port, fields):
    body = urllib.parse.urlencode(fields, encoding="euc-kr")
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=20)
    try:
        conn.request("POST", "/board/Tavrix.exe", body,
                     {"Content-Type": "application/x-www-form-urlencoded"})
        r = conn.getresponse()
        return r.status, r.read()
    except (OSError, http.client.HTTPException):
        return 0, b""
    finally:
        conn.close()


def whole_page(status, body):
    return status == 200 and body.rstrip().endswith(b"</HTML>")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--seconds", type=float, required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    rng = random.Random(20261211)
    end = time.monotonic() + args.seconds
    # title -> {"title": current title, "state": "live"|"deleted"|"doubt", ...}
    notices = {}
    sent = answered = 0
    i = 0
    while time.monotonic() < end:
        i += 1
        live = [k for k, v in notices.items() if v["state"] == "live" and "nyno" in v]
        roll = rng.random()
        if roll < 0.6 or not live:
            key = f"부하 시험 {i}"
            status, body = post(args.port, {"action": "GongWrite_Ok2", "job": "New", "page": "",
                                            "nyno": "", "title": key, "bigo": f"본문 {i}\r\n둘째 줄",
                                            "password": PASSWORD})
            sent += 1
            if whole_page(status, body):
                answered += 1
                notices[key] = {"title": key, "state": "live"}
            else:
                notices[key] = {"title": key, "state": "doubt"}
        elif roll < 0.8:
            key = rng.choice(live)
            new_title = notices[key]["title"] + " 고침"
            status, body = post(args.port, {"action": "GongWrite_Ok2", "job": "Edit", "page": "",
                                            "nyno": str(notices[key]["nyno"]), "title": new_title,
                                            "bigo": "고친 본문", "password": PASSWORD})
            sent += 1
            if whole_page(status, body):
                answered += 1
                notices[key]["title"] = new_title
                notices[key].pop("maybe", None)
            else:
                notices[key]["maybe"] = new_title
        else:
            key = rng.choice(live)
            status, body = post(args.port, {"action": "GongDelOk2", "page": "",
                                            "nyno": str(notices[key]["nyno"]), "pwd": PASSWORD})
            sent += 1
            if whole_page(status, body):
                answered += 1
                notices[key]["state"] = "deleted"
            else:
                notices[key]["state"] = "doubt"
        # Learn the numbers of new notices from the list (numbers are what
        # edits and deletions need).
        if i % 5 == 0:
            conn = http.client.HTTPConnection("127.0.0.1", args.port, timeout=20)
            try:
                conn.request("GET", "/board/Tavrix.exe?action=GongList2")
                page = conn.getresponse().read().decode("euc-kr", "replace")
            except (OSError, http.client.HTTPException):
                page = ""
            finally:
                conn.close()
            for nyno, title in __import__("re").findall(r'nyno=\s*(\d+)" >([^<]*)</A>', page):
                base = title.replace(" 고침", "")
                if base in notices and notices[base]["state"] == "live":
                    notices[base]["nyno"] = int(nyno)
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump({"sent": sent, "answered": answered, "notices": notices}, f, ensure_ascii=False)
    print(f"administrator: {sent} saves and deletions sent, {answered} answered")


if __name__ == "__main__":
    main()
