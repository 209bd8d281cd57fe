#!/usr/bin/env python3
"""No view is lost or counted twice under FastCGI load.

Serves the board through lighttpd with a pool of FastCGI workers
(scripts/serve.sh --fastcgi, on a free port of 127.0.0.1, data in a temporary
folder), then for a fixed time keeps 8 keep-alive connections viewing ONE
notice (GongView2). Each connection sends its next request only while time
is left and always finishes the request in flight, so every view it counts
as answered is one whose whole response (status 200, the notice's page) it
received. Then it reads the notice's view counter from the table
(gongdb export) and checks that it rose by exactly the number of answered
views. Prints both numbers and PASS or FAIL; exits 1 on FAIL.

  bench/fastcgi_view_count.py [--seconds 30] [--connections 8] [--workers 4]
                              [--notices 65535] [--nyno N] [--build-dir DIR]
"""
import argparse
import http.client
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def counter(gongdb, table, nyno):
    out = subprocess.run([gongdb, "export", "--dir", table], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        notice = json.loads(line)
        if notice["nyno"] == nyno:
            return notice["qty"]
    raise SystemExit(f"notice {nyno} is not in the table")


def viewer(port, path, marker, deadline, tally, lock):
    answered = wrong = failed = 0
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    while time.monotonic() < deadline:
        try:
            conn.request("GET", path)
            resp = conn.getresponse()
            body = resp.read()
        except (OSError, http.client.HTTPException):
            # Sent, but no whole response: the server may or may not have
            # counted it, so the check cannot pass.
            failed += 1
            conn.close()
            continue
        if resp.status == 200 and marker in body:
            answered += 1
        else:
            wrong += 1
    conn.close()
    with lock:
        tally["answered"] += answered
        tally["wrong"] += wrong
        tally["failed"] += failed


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--connections", type=int, default=8)
    ap.add_argument("--workers", type=int, default=4)
    ap.add_argument("--notices", type=int, default=65535)
    ap.add_argument("--nyno", type=int, help="the notice to view (default: the middle one)")
    ap.add_argument("--build-dir", default=os.path.join(HERE, "build-bench"))
    args = ap.parse_args()
    nyno = args.nyno or (args.notices + 1) // 2
    gongdb = os.path.join(args.build_dir, "gongdb")
    for f in ("Tavrix.exe", "gongdb"):
        if not os.access(os.path.join(args.build_dir, f), os.X_OK):
            raise SystemExit(f"{args.build_dir}/{f} is missing; build first")

    data = tempfile.mkdtemp(prefix="tavrix-view-count-")
    os.chmod(data, 0o755)
    port = free_port()
    log = open(os.path.join(data, "serve.log"), "w")
    serve = subprocess.Popen(
        [os.path.join(HERE, "scripts", "serve.sh"), "--server", "lighttpd", "--fastcgi",
         "--workers", str(args.workers), "--port", str(port), "--data", data, "--no-build",
         "--build-dir", args.build_dir, "--notices", str(args.notices)],
        stdout=log, stderr=subprocess.STDOUT)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        path = f"/board/Tavrix.exe?action=GongView2&page=1&nyno={nyno}"
        marker = f"&nbsp;{nyno:4d} </td>".encode()
        for _ in range(600):
            try:
                c = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
                c.request("GET", "/board/image/bullet.gif")
                if c.getresponse().status == 200:
                    break
            except OSError:
                pass
            if serve.poll() is not None:
                break
            time.sleep(0.2)
        else:
            serve.poll()
        if serve.returncode is not None:
            log.flush()
            sys.stderr.write(open(os.path.join(data, "serve.log")).read())
            raise SystemExit("the server did not start")

        table = os.path.join(data, "table")
        before = counter(gongdb, table, nyno)
        tally = {"answered": 0, "wrong": 0, "failed": 0}
        lock = threading.Lock()
        started = time.monotonic()
        deadline = started + args.seconds
        threads = [threading.Thread(target=viewer, args=(port, path, marker, deadline, tally, lock))
                   for _ in range(args.connections)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        took = time.monotonic() - started
        after = counter(gongdb, table, nyno)
    finally:
        serve.terminate()
        try:
            serve.wait(timeout=30)
        except subprocess.TimeoutExpired:
            serve.kill()
            serve.wait()
        log.close()
        shutil.rmtree(data, ignore_errors=True)

    rose = after - before
    answered = tally["answered"]
    ok = rose == answered and tally["wrong"] == 0 and tally["failed"] == 0
    print(f"FastCGI through lighttpd, {args.workers} workers, {args.notices} notices; "
          f"{args.connections} keep-alive connections viewing notice {nyno} for {args.seconds:g} s "
          f"(all done after {took:.1f} s)")
    print(f"answered views:      {answered} ({answered / took:.0f}/s)")
    print(f"counter rose by:     {rose} ({before} -> {after})")
    print(f"wrong pages: {tally['wrong']}, requests without a whole response: {tally['failed']}")
    print("PASS" if ok else "FAIL")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
