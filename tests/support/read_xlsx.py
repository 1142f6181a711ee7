#!/usr/bin/python3
"""Dumps what the export tests assert of a workbook, read by openpyxl (an
independent reader), as one JSON object on standard output:

  {"sheets": [{"name": ..., "freeze": "A2", "filter": "A1:D8",
               "cells": [["s:Tabela", "n:12", "d:2025-03-01 10:15:30|dd/mm/yyyy hh:mm",
                          "f:=SUBTOTAL(9,...)=123", ""], ...],
               "bold": [true, ...]  (the first cell of each row)
               "widths": {"A": 17.7, ...}}]}

A cell is "s:" text, "n:" number, "d:" date and time with its number
format, "f:" formula with its stored value, "b:" Boolean, "" empty.
"""
import json
import sys

import openpyxl


def cell_text(cell, value_cell):
    value = cell.value
    if value is None:
        return ""
    if cell.data_type == "f" or (isinstance(value, str) and value.startswith("=") and cell.data_type != "s"):
        return "f:%s=%s" % (value, value_cell.value)
    if cell.is_date:
        return "d:%s|%s" % (value.strftime("%Y-%m-%d %H:%M:%S"), cell.number_format)
    if isinstance(value, bool):
        return "b:%s" % value
    if isinstance(value, (int, float)):
        return "n:%s" % (int(value) if float(value).is_integer() else value)
    return "s:%s" % value


def main(path):
    book = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    sheets = []
    for sheet in book.worksheets:
        value_sheet = values[sheet.title]
        cells, bold = [], []
        for row in sheet.iter_rows():
            cells.append([cell_text(c, value_sheet[c.coordinate]) for c in row])
            bold.append(bool(row[0].font and row[0].font.b))
        sheets.append({
            "name": sheet.title,
            "freeze": sheet.freeze_panes or "",
            "filter": sheet.auto_filter.ref or "",
            "cells": cells,
            "bold": bold,
            "widths": {k: v.width for k, v in sheet.column_dimensions.items() if v.width},
        })
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
