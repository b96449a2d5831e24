#!/usr/bin/python3
"""Reads a report back as a CSV reader or a spreadsheet would, and prints
what it found as JSON:  read_back.py csv|xlsx FILE"""
import csv
import json
import sys

kind, path = sys.argv[1:3]
if kind == "csv":
    with open(path, newline="", encoding="utf-8", errors="strict") as f:
        print(json.dumps({"rows": list(csv.reader(f, strict=True))}))
else:
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    rows = list(sheet.iter_rows())
    print(json.dumps({
        "rows": [[c.value for c in row] for row in rows],
        "status_fills": [r[1].fill.fgColor.rgb if r[1].fill.fill_type else None for r in rows[1:]],
        "bold_head": all(c.font.b for c in rows[0]),
        "frozen": sheet.freeze_panes,
        "filter": sheet.auto_filter.ref,
    }))
