#!/usr/bin/python3
"""Prints a workbook's sheets and cells as openpyxl reads them, for the report
tests: a line "SHEETS<US>name<US>name...", then one line per cell that has a
value or a thick box: sheet<US>reference<US>value type<US>value<US>boxed(0/1).
Exit status 3 when openpyxl is not installed."""
import sys

try:
    import openpyxl
except ImportError:
    sys.exit(3)

SEPARATOR = "\x1f"
out = open(sys.stdout.fileno(), "w", encoding="utf-8", closefd=False)
book = openpyxl.load_workbook(sys.argv[1])
out.write(SEPARATOR.join(["SHEETS"] + book.sheetnames) + "\n")
for sheet in book.worksheets:
    for row in sheet.iter_rows():
        for cell in row:
            border = getattr(cell, "border", None)
            boxed = border is not None and all(
                side is not None and side.style == "thick"
                for side in (border.left, border.right, border.top, border.bottom))
            if cell.value is None and not boxed:
                continue
            value = "" if cell.value is None else str(cell.value)
            out.write(SEPARATOR.join([sheet.title, cell.coordinate, type(cell.value).__name__,
                                      value.replace("\n", "\\n"), "1" if boxed else "0"]) + "\n")
out.flush()
