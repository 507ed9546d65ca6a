#!/usr/bin/python3
"""readexport.py FILE SAMPLE: an exported table read back as a spreadsheet program reads it, as
JSON; each of the first SAMPLE rows as cells "type|number format|value"."""
import csv
import json
import sys


def cell(kind, number_format, value):
    if value is None:
        return "||"
    if isinstance(value, float) or isinstance(value, int):
        value = "%.4f" % value
    elif hasattr(value, "strftime"):
        value = value.strftime("%d/%m/%Y")
    return "%s|%s|%s" % (kind, number_format, value)


def read_csv(path, sample):
    with open(path, "rb") as raw:
        bom = raw.read(3) == b"\xef\xbb\xbf"
    with open(path, newline="", encoding="utf-8-sig") as text:
        lines = list(csv.reader(text, delimiter=";"))
    rows = [[cell("s", "", field or None) for field in line] for line in lines[1 : 1 + sample]]
    return {"bom": bom, "header": lines[0], "count": len(lines) - 1, "rows": rows}


def read_workbook(path, sample):
    import openpyxl

    sheet = openpyxl.load_workbook(path).worksheets[0]
    # The frozen row is the header; a row above it is the title.
    header_row = int(sheet.freeze_panes[1:]) - 1
    header = list(sheet[header_row])
    rows = [[cell(c.data_type, c.number_format, c.value) for c in line]
            for line in sheet.iter_rows(min_row=header_row + 1, max_row=header_row + sample)]
    return {
        "title": sheet.cell(1, 1).value if header_row > 1 else None,
        "header": [c.value for c in header],
        "headerBold": all(c.font.b for c in header),
        "frozen": sheet.freeze_panes,
        "filter": sheet.auto_filter.ref,
        "count": sheet.max_row - header_row,
        "rows": rows,
    }


path, sample = sys.argv[1], int(sys.argv[2])
reader = read_csv if path.endswith(".csv") else read_workbook
print(json.dumps(reader(path, sample)))
