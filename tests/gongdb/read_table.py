#!/usr/bin/python3
"""Prints the records of a dBASE table as an independent reader sees them.

usage: read_table.py dbfread|dbf TABLE.dbf FIELD...
       read_table.py json EXPECTED.json FIELD...

Each record comes out as its deletion mark ('*' or ' ') and the named
fields, separated by 0x1F and ended by 0x1E, in UTF-8; texts without
trailing blanks, whole numbers in decimal, a blank number as nothing.
Records are sorted, so readers that list deleted records apart compare
equal. "json" prints a list of objects (with a "deleted" member) the same
way, for comparing a table with a description of what it should hold.
"""
import json
import sys


def text(value):
    if value is None:
        return ""
    if isinstance(value, float) and value == int(value):
        value = int(value)
    if isinstance(value, str):
        return value.rstrip(" ")
    return str(value)


def records_dbfread(path, fields):
    from dbfread import DBF
    table = DBF(path, encoding="euc-kr")
    for mark, source in ((" ", table.records), ("*", table.deleted)):
        for r in source:
            yield mark, [r[f] for f in fields]


def records_dbf(path, fields):
    import dbf
    table = dbf.Table(path)  # the code page from the header's mark
    table.open(dbf.READ_ONLY)
    try:
        for r in table:
            yield ("*" if dbf.is_deleted(r) else " "), [r[f.lower()] for f in fields]
    finally:
        table.close()


def records_json(path, fields):
    with open(path, encoding="utf-8") as f:
        for r in json.load(f):
            yield ("*" if r.get("deleted") else " "), [r.get(f) for f in fields]


def main():
    reader, path, fields = sys.argv[1], sys.argv[2], sys.argv[3:]
    source = {"dbfread": records_dbfread, "dbf": records_dbf, "json": records_json}[reader]
    lines = sorted("\x1f".join([mark] + [text(v) for v in values]) for mark, values in source(path, fields))
    sys.stdout.buffer.write("".join(line + "\x1e" for line in lines).encode("utf-8"))


main()
