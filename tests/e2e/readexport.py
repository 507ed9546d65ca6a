#!/usr/bin/python3
"""Reads an exported table back as a spreadsheet program would and prints it as JSON:
readexport.py FILE SAMPLE -> {"count", "header", "title", "rows": first SAMPLE rows, ...}."""
import csv
import json
import sys


def read_csv(path, sample):
    with open(path, "rb") as raw:
        bom = raw.read(3) == b"\xef\xbb\xbf"
    with open(path, newline="", encoding="utf-8-sig") as text:
        lines = list(csv.reader(text, delimiter=";"))
    return {
        "bom": bom,
        "header": lines[0],
        "count": len(lines) - 1,
        "rows": [[{"v": field, "t": "s"} for field in line] for line in lines[1 : 1 + sample]],
    }


def read_workbook(path, sample):
    import openpyxl

    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    # The frozen row is the header; a row above it is the title.
    header_row = sheet.freeze_panes and int(sheet.freeze_panes[1:]) - 1 or 1
    header = [cell for cell in sheet[header_row]]
    rows = []
    for line in sheet.iter_rows(min_row=header_row + 1, max_row=header_row + sample):
        cells = []
        for cell in line:
            value = cell.value
            if cell.is_date:
                value = value.strftime("%d/%m/%Y")
            cells.append({"v": value, "t": cell.data_type, "f": cell.number_format})
        rows.append(cells)
    return {
        "sheet": sheet.title,
        "title": sheet.cell(1, 1).value if header_row > 1 else None,
        "header": [cell.value for cell in header],
        "headerBold": all(cell.font.b for cell in header),
        "frozen": sheet.freeze_panes,
        "filter": sheet.auto_filter.ref,
        "count": sheet.max_row - header_row,
        "rows": rows,
    }


path, sample = sys.argv[1], int(sys.argv[2])
reader = read_csv if path.endswith(".csv") else read_workbook
print(json.dumps(reader(path, sample)))
