#!/usr/bin/python3
"""readexport.py FILE SAMPLE: an exported table read back as a spreadsheet program reads it, as
JSON: its row count, a workbook's title, and the header and first SAMPLE rows as "type|value"."""
import csv
import json
import sys


def cell(kind, value):
    if value is None or value == "":
        return "|"
    if isinstance(value, (int, float)):
        value = "%.4f" % value
    elif hasattr(value, "strftime"):
        value = value.strftime("%d/%m/%Y")
    return "%s|%s" % (kind, value)


path, sample, title = sys.argv[1], int(sys.argv[2]), None
if path.endswith(".csv"):
    with open(path, newline="", encoding="utf-8-sig") as text:
        lines = [[("s", field) for field in line] for line in csv.reader(text, delimiter=";")]
else:
    import openpyxl

    sheet = openpyxl.load_workbook(path).worksheets[0]
    # The frozen row is the header; a row above it is the title.
    first = int(sheet.freeze_panes[1:]) - 1
    title = sheet.cell(1, 1).value if first > 1 else None
    lines = [[(c.data_type, c.value) for c in line] for line in sheet.iter_rows(min_row=first)]
rows = [[cell(kind, value) for kind, value in line] for line in lines[: 1 + sample]]
print(json.dumps({"title": title, "count": len(lines) - 1, "rows": rows}))
