#!/usr/bin/python3
"""read_back.py CSV XLSX: the CSV report, its raw text too, and the workbook
as Python's csv module and a spreadsheet library read them, as JSON."""
import csv
import json
import sys

import openpyxl

with open(sys.argv[1], newline="", encoding="utf-8", errors="strict") as f:
    rows = list(csv.reader(f, strict=True))
sheet = openpyxl.load_workbook(sys.argv[2]).active
cells = list(sheet.iter_rows())
# Every column as wide as its longest text, up to a third of a screen.
fits = all(sheet.column_dimensions[column[0].column_letter].width >=
           min(max(len(str(c.value or "")) for c in column), 60)
           for column in sheet.iter_cols())
print(json.dumps({
    "raw": open(sys.argv[1], newline="", encoding="utf-8").read(),
    "csv": rows,
    "rows": [["" if c.value is None else str(c.value) for c in row] for row in cells],
    "years": [type(r[4].value).__name__ for r in cells[1:]],
    "fills": [r[1].fill.fgColor.rgb if r[1].fill.fill_type else "" for r in cells[1:]],
    "head": [all(c.font.b for c in cells[0]), sheet.freeze_panes, sheet.auto_filter.ref, fits],
}))
