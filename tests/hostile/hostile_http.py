#!/usr/bin/env python3
"""Hostile requests to the board through a real web server.

Sends malformed and oversized requests, every byte value in names and
values, markup and quotes where the board echoes text, and hand-made saves
and deletions without the right password. Checks that the server and the
program keep answering, that no request text reaches a page unescaped, and
that the table is exactly as it was (nothing written without the password).

    hostile_http.py --port N --table DIR --gongdb PATH
"""
import argparse
import re
import socket
import subprocess
import sys
import time
import urllib.parse

MARK = "<x\"'&>"
RAW_MARKERS = [b"<x\"'&>", b"<x", b"\"'&>"]


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL:", what)


def raw_request(port, data, timeout=15.0, close_after_send=False):
    """Sends raw bytes, returns (status, headers, body, seconds)."""
    start = time.monotonic()
    s = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    try:
        s.sendall(data)
        if close_after_send:
            s.shutdown(socket.SHUT_WR)
        chunks = []
        while True:
            try:
                chunk = s.recv(65536)
            except socket.timeout:
                break
            if not chunk:
                break
            chunks.append(chunk)
    finally:
        s.close()
    reply = b"".join(chunks)
    seconds = time.monotonic() - start
    head, _, body = reply.partition(b"\r\n\r\n")
    m = re.match(rb"HTTP/1\.[01] (\d{3})", head)
    status = int(m.group(1)) if m else 0
    if b"transfer-encoding: chunked" in head.lower():
        body = dechunk(body)
    return status, head, body, seconds


def dechunk(body):
    out = b""
    while body:
        size_line, _, rest = body.partition(b"\r\n")
        try:
            size = int(size_line.split(b";")[0], 16)
        except ValueError:
            break
        if size == 0:
            break
        out += rest[:size]
        body = rest[size + 2:]
    return out


def get(port, query):
    return raw_request(port, b"GET /board/Tavrix.exe?" + query + b" HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")


def post(port, body, extra=b""):
    return raw_request(port, b"POST /board/Tavrix.exe HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                       b"Content-Type: application/x-www-form-urlencoded\r\n" + extra +
                       b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body)


def enc(text):
    data = text.encode("euc-kr") if isinstance(text, str) else text
    return urllib.parse.quote_from_bytes(data, safe="").encode()


def export(gongdb, table):
    return subprocess.run([gongdb, "export", "--dir", table], check=True, capture_output=True).stdout


def unescaped(body):
    return [m for m in RAW_MARKERS if m in body]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--table", required=True)
    ap.add_argument("--gongdb", required=True)
    args = ap.parse_args()
    port = args.port
    c = Checks()
    before = export(args.gongdb, args.table)
    alive = lambda: get(port, b"action=GongList2")[0] == 200

    # Lengths that lie, and bodies that stop early.
    status, _, body, secs = raw_request(
        port, b"POST /board/Tavrix.exe HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
        b"Content-Length: 99999999999\r\n\r\naction=GongXYZ", timeout=10, close_after_send=True)
    c.check(status != 200 or b"<p>An Error occured!</p>" in body or body == b"",
            f"huge Content-Length answered {status} with a page")
    c.check(alive(), "the board answers after a huge Content-Length")
    status, _, _, _ = raw_request(port, b"POST /board/Tavrix.exe HTTP/1.1\r\nHost: x\r\n"
                                  b"Connection: close\r\nContent-Length: -5\r\n\r\naction=GongXYZ")
    c.check(status in (400, 411, 413), f"negative Content-Length answered {status}")
    raw_request(port, b"POST /board/Tavrix.exe HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                b"Content-Length: 1000\r\n\r\naction=GongWrite_Ok2&job=New&title=cut",
                timeout=5, close_after_send=True)
    c.check(alive(), "the board answers after a body that stopped early")

    # Many and large parameters.
    many = b"&".join(b"p%d=%d" % (i, i) for i in range(100000)) + b"&action=GongList2&page=2"
    status, _, body, secs = post(port, b"action=GongList2&page=2&" + many)
    c.check(status == 200 and b"2/" in body and b"&nbsp;page</b>" in body,
            f"100,000 parameters: status {status}")
    print(f"100,000 parameters ({len(many)} bytes): {secs * 1000:.0f} ms")
    big_name = b"n" * (1 << 20)
    status, _, body, secs = post(port, big_name + b"=1&action=GongXYZ")
    c.check(status == 200 and b"GongXYZ</p>" in body, f"1 MiB name: status {status}")
    print(f"1 MiB parameter name: {secs * 1000:.0f} ms")

    # Every byte value in names and values, and markup wherever text is echoed.
    all_bytes = bytes(range(1, 256))
    # (In a URL the server itself refuses some encoded control bytes, so the
    # hostile texts travel in form bodies, which it passes on untouched.)
    for where in (b"action=Gong" + enc(all_bytes),
                  b"action=Gong" + enc(MARK),
                  enc(all_bytes) + b"=" + enc(all_bytes) + b"&action=GongXYZ"):
        status, _, body, _ = post(port, where)
        c.check(status == 200 and not unescaped(body), f"echo of {where[:40]!r} is escaped")
        echoed = body.split(b'<p align="center">')[-1].split(b"</p>")[0]
        c.check(not any(b < 0x21 for b in echoed.replace(b"\r\n", b"")) and b"<" not in echoed
                and b'"' not in echoed and b"'" not in echoed,
                f"echoed action holds raw markup or control bytes: {echoed[:60]!r}")
    for value in (MARK, all_bytes):
        for action in (b"GongList2", b"GongView2&nyno=9999", b"GongEdit2&job=Edit&nyno=1",
                       b"GongDel2&nyno=1", b"GongWrite2&job=other&nyno=1"):
            status, _, body, _ = post(port, b"action=" + action + b"&page=" + enc(value))
            c.check(status == 200 and not unescaped(body) and b"&#60;" in body,
                    f"{action.decode()} with a hostile page: status {status}, raw {unescaped(body)}")

    # Hand-made saves and deletions without the right password.
    title = enc("침입") + enc(MARK)
    for password in (b"", b"&password=", b"&password=0000000", b"&password=18273640",
                     b"&password=%201827364", b"&pwd=1827364"):
        for job in (b"New", b"Edit"):
            status, _, body, _ = post(port, b"action=GongWrite_Ok2&job=" + job +
                                      b"&nyno=1&page=1&title=" + title + b"&bigo=x" + password)
            c.check(status == 200 and "비밀번호가 틀립니다.".encode("euc-kr") in body,
                    f"save {job.decode()} with {password!r} not refused")
        pwd = password.replace(b"password", b"pwd") if b"pwd" not in password else b"&password=1827364"
        status, _, body, _ = post(port, b"action=GongDelOk2&nyno=1&page=1" + pwd)
        c.check(status == 200 and "비밀번호가 틀립니다.".encode("euc-kr") in body,
                f"delete with {pwd!r} not refused")
        status, _, body, _ = post(port, b"action=GongWrite2&job=New" + password)
        c.check("비밀번호가 틀립니다.".encode("euc-kr") in body, f"editor with {password!r} not refused")

    c.check(export(args.gongdb, args.table) == before, "the table changed without the password")
    c.check(alive(), "the board still answers")
    print(f"{c.passed} passed, {c.failed} failed")
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
