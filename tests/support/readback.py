#!/usr/bin/env python3
"""Reads an exported file back with Python's own parsers and prints JSON.

    readback.py html FILE   -> {"encoding", "tags": [...], "cells": [[row class, cell tag, cell class, text], ...]}
    readback.py csv FILE    -> {"encoding", "rows": [[field, ...], ...]}

The encoding is read the way browsers and spreadsheets do: a UTF-8 byte-order
mark means UTF-8, no mark means Windows-1252. In cell texts a <br> is "\n".
"""
import csv
import html.parser
import io
import json
import sys


def decode(data):
    if data.startswith(b"\xef\xbb\xbf"):
        return "utf-8", data[3:].decode("utf-8")
    return "windows-1252", data.decode("cp1252")


class Cells(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = []
        self.cells = []
        self.rows = []   # class of each open <tr>
        self.open = []   # [tag, class, text] of each open cell

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        cls = dict(attrs).get("class") or ""
        if tag == "tr":
            self.rows.append(cls)
        elif tag in ("td", "th"):
            self.open.append([tag, cls, ""])
        elif tag == "br" and self.open:
            self.open[-1][2] += "\n"

    def handle_endtag(self, tag):
        if tag == "tr" and self.rows:
            self.rows.pop()
        elif tag in ("td", "th") and self.open:
            t, cls, text = self.open.pop()
            self.cells.append([self.rows[-1] if self.rows else "", t, cls, text])

    def handle_data(self, data):
        if self.open:
            self.open[-1][2] += data


def main():
    kind, name = sys.argv[1], sys.argv[2]
    with open(name, "rb") as f:
        encoding, text = decode(f.read())
    if kind == "html":
        p = Cells()
        p.feed(text)
        p.close()
        out = {"encoding": encoding, "tags": p.tags, "cells": p.cells}
    else:
        rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";", quotechar='"'))
        out = {"encoding": encoding, "rows": rows}
    json.dump(out, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
