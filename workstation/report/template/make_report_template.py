#!/usr/bin/python3
"""Writes the report template workbook (data/ReportSample.xlsx).

The workbook holds the two sheets the report copies:
  "PA_List"  the summary: heading rows 1-5, row 6 the cell formats of a data row;
  "改定案"   the reading form: labels beside answer cells at the positions the
             report fills, each answer cell thin-bordered so that the report's
             thick box stands out.
Run with Debian's Python (python3-openpyxl):
  /usr/bin/python3 workstation/report/template/make_report_template.py [output.xlsx]
"""
import datetime
import sys

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.utils import get_column_letter

THIN = Side(style="thin")
GRID = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)
CENTRE = Alignment(horizontal="center", vertical="center")
LEFT = Alignment(horizontal="left", vertical="center")
BOLD = Font(bold=True)
HEADING_FILL = PatternFill("solid", fgColor="DDE4EE")
SECTION_FONT = Font(bold=True, size=12)

SYMBOLS = ["None", "AX", "BE", "BR", "BU", "CA", "CG", "CV", "DI", "DO", "EF", "ES",
           "FP", "FR", "HI", "ME", "MP", "OD", "PB", "RA", "SC", "TB", "TD"]
ZONES = ["U", "M", "L"]


def label(ws, row, column, text, last_column=None, font=None, align=LEFT):
    cell = ws.cell(row=row, column=column, value=text)
    cell.alignment = align
    if font:
        cell.font = font
    if last_column and last_column > column:
        ws.merge_cells(start_row=row, start_column=column, end_row=row, end_column=last_column)
    return cell


def option(ws, row, column, text=None):
    """An answer cell: thin border, centred; the report boxes the chosen one."""
    cell = ws.cell(row=row, column=column, value=text)
    cell.border = GRID
    cell.alignment = CENTRE
    return cell


def no_yes(ws, row, first_column):
    option(ws, row, first_column, "No")
    option(ws, row, first_column + 1, "Yes")


def grade_grid(ws, heading_row, first_row, first_column, sum_row, sum_column):
    """Six zones: rows U, M, L; blocks R and L of four grade options 0..3."""
    label(ws, heading_row - 1, first_column, "R", first_column + 3, BOLD, CENTRE)
    label(ws, heading_row - 1, first_column + 4, "L", first_column + 7, BOLD, CENTRE)
    label(ws, heading_row, first_column - 1, "Zone", align=CENTRE)
    for block in range(2):
        for grade in range(4):
            label(ws, heading_row, first_column + 4 * block + grade, str(grade), align=CENTRE)
    for i, zone in enumerate(ZONES):
        label(ws, first_row + i, first_column - 1, zone, align=CENTRE)
        for block in range(2):
            for grade in range(4):
                option(ws, first_row + i, first_column + 4 * block + grade)
    label(ws, sum_row, sum_column - 1, "Sum", align=CENTRE)
    option(ws, sum_row, sum_column).number_format = "0"


def form_sheet(ws):
    for column in range(1, 23):
        ws.column_dimensions[get_column_letter(column)].width = 5.5
    ws.column_dimensions["A"].width = 2
    label(ws, 1, 1, "Chest CT reading form", 22, Font(bold=True, size=14), CENTRE)

    for row, text in ((3, "Name"), (4, "ID"), (5, "Manufacturer"), (6, "Model")):
        label(ws, row, 2, text, 3)
        label(ws, row, 4, None, 12)
    label(ws, 3, 16, "Study date", 17)
    label(ws, 3, 18, None, 22)

    label(ws, 8, 2, "Parenchymal abnormalities", 12, SECTION_FONT)
    label(ws, 10, 2, "Is the patient completely negative ?", 9)
    option(ws, 10, 10, "Yes")
    option(ws, 10, 11, "No")

    # Symbols: column V, rows 13 .. 35.
    label(ws, 12, 22, "Symbols", font=BOLD, align=CENTRE)
    for i, code in enumerate(SYMBOLS):
        option(ws, 13 + i, 22, code)

    # Rounded opacities.
    label(ws, 12, 2, "Well defined rounded opacities", 7)
    no_yes(ws, 12, 8)
    label(ws, 14, 2, "Size", 5)
    label(ws, 14, 6, "No", align=CENTRE)
    label(ws, 14, 7, "Yes", align=CENTRE)
    label(ws, 14, 9, "Pred.", align=CENTRE)
    for i, text in enumerate(("P (<= 1.5mm)", "Q (1.5-3mm)", "R (3-10mm)")):
        label(ws, 15 + i, 2, text, 5)
        no_yes(ws, 15 + i, 6)
        option(ws, 15 + i, 9)
    grade_grid(ws, 14, 15, 13, 18, 20)

    # Irregular opacities.
    label(ws, 20, 2, "Irregular and/or linear opacities", 7)
    no_yes(ws, 20, 8)
    label(ws, 22, 2, "Type", 5)
    label(ws, 22, 6, "No", align=CENTRE)
    label(ws, 22, 7, "Yes", align=CENTRE)
    label(ws, 22, 9, "Pred.", align=CENTRE)
    for i, text in enumerate(("Intralobular", "Interlobular")):
        label(ws, 23 + i, 2, text, 5)
        no_yes(ws, 23 + i, 6)
        option(ws, 23 + i, 9)
    grade_grid(ws, 22, 23, 13, 26, 20)

    # Ground glass opacity.
    label(ws, 28, 2, "Ground glass gradable", 7)
    no_yes(ws, 28, 8)
    label(ws, 28, 11, "Ground glass opacity", 17)
    no_yes(ws, 28, 18)
    grade_grid(ws, 30, 31, 13, 34, 20)

    # Honeycombing (left) and emphysema (right).
    label(ws, 36, 2, "Honeycombing", 7)
    no_yes(ws, 36, 8)
    grade_grid(ws, 38, 39, 3, 42, 10)
    label(ws, 36, 11, "Emphysema", 17)
    no_yes(ws, 36, 18)
    grade_grid(ws, 38, 39, 13, 42, 20)

    # Large opacities and the predominant parenchymal finding.
    label(ws, 44, 2, "Large opacities", 7)
    no_yes(ws, 44, 8)
    label(ws, 46, 2, "Size", 5)
    label(ws, 46, 9, "R", align=CENTRE)
    label(ws, 46, 10, "L", align=CENTRE)
    for i, (code, text) in enumerate((("A", "- area 1/4"), ("B", "area 1/4 - 1/2"), ("C", "area 1/2 -"))):
        label(ws, 47 + i, 2, text, 5)
        option(ws, 47 + i, 6, code)
        label(ws, 47 + i, 8, ZONES[i], align=CENTRE)
        option(ws, 47 + i, 9)
        option(ws, 47 + i, 10)
    label(ws, 45, 13, "Predominant parenchymal", 18, BOLD)
    for i, code in enumerate(("RO", "IR", "GGO", "HC", "EM", "LO")):
        option(ws, 46, 13 + i, code)

    # Pleural abnormalities.
    label(ws, 50, 2, "Pleural abnormalities", 12, SECTION_FONT)
    label(ws, 51, 2, "Pleural abnormalities", 7)
    no_yes(ws, 51, 8)
    label(ws, 52, 5, "No", align=CENTRE)
    label(ws, 52, 6, "Yes", align=CENTRE)
    label(ws, 52, 8, "Pred.", align=CENTRE)
    for i, text in enumerate(("W parietal type", "W visceral type", "M", "D")):
        label(ws, 53 + i, 2, text, 4)
        no_yes(ws, 53 + i, 5)
        option(ws, 53 + i, 8)
    label(ws, 53, 10, "Site", align=CENTRE)
    label(ws, 53, 11, "R", align=CENTRE)
    label(ws, 53, 12, "L", align=CENTRE)
    for i, zone in enumerate(ZONES):
        label(ws, 54 + i, 10, zone, align=CENTRE)
        option(ws, 54 + i, 11)
        option(ws, 54 + i, 12)
    label(ws, 53, 14, "Extent / Width", 22, BOLD)
    label(ws, 54, 15, "R", 18, BOLD, CENTRE)
    label(ws, 54, 19, "L", 22, BOLD, CENTRE)
    label(ws, 55, 14, "Extent", align=CENTRE)
    label(ws, 56, 14, "Width", align=CENTRE)
    for block in range(2):
        for value in range(4):
            option(ws, 55, 15 + 4 * block + value, str(value))
            option(ws, 56, 15 + 4 * block + value, "0abc"[value])

    # Pleural calcification.
    label(ws, 58, 2, "Pleural calcifications", 7)
    no_yes(ws, 58, 8)
    label(ws, 59, 2, "Localisation", 7)
    for i, code in enumerate(("W", "M", "D")):
        option(ws, 59, 12 + i, code)

    # Comment and the reader's stamp.
    label(ws, 60, 2, "Comments / Summary (Free Text)", 12, BOLD)
    comment = ws.cell(row=61, column=2)
    comment.alignment = Alignment(horizontal="left", vertical="top", wrap_text=True)
    comment.border = GRID
    ws.merge_cells("B61:V64")
    label(ws, 66, 2, "Date")
    label(ws, 66, 3, None, 6)
    label(ws, 66, 10, "Reader")
    label(ws, 66, 11, None, 16)
    label(ws, 67, 10, "Reader ID")
    label(ws, 67, 11, None, 16)

    ws.page_setup.orientation = "portrait"
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 1
    ws.sheet_properties.pageSetUpPr.fitToPage = True


# Summary columns 1 .. 89: (heading, kind) with kind "n" number or "t" text.
def summary_columns():
    grades = ["RU", "RM", "RL", "LU", "LM", "LL"]
    zones_b = ["RU", "LU", "RM", "LM", "RL", "LL"]
    columns = [("No.", "n"), ("Name", "t"), ("ID", "t"), ("Manufacturer", "t"), ("Model", "t"),
               ("Study date", "t"), ("Negative", "t"),
               ("Rounded", "t"), ("P", "t"), ("Q", "t"), ("R", "t"), ("Pred. size", "t")]
    columns += [(g, "n") for g in grades] + [("Sum", "n")]
    columns += [("Irregular", "t"), ("Intra", "t"), ("Inter", "t"), ("Pred. type", "t")]
    columns += [(g, "n") for g in grades] + [("Sum", "n")]
    columns += [("GGO gradable", "t"), ("GGO", "t")]
    columns += [(g, "n") for g in grades] + [("Sum", "n")]
    columns += [("Honeycombing", "t")] + [(g, "n") for g in grades] + [("Sum", "n")]
    columns += [("Emphysema", "t")] + [(g, "n") for g in grades] + [("Sum", "n")]
    columns += [("Large", "t"), ("Size", "t")] + [(z, "n") for z in zones_b]
    columns += [("Predominant", "t")]
    columns += [("Pleural", "t"), ("W parietal", "t"), ("W visceral", "t"), ("M", "t"), ("D", "t"),
                ("Pred. type", "t")]
    columns += [(z, "n") for z in zones_b]
    columns += [("R extent", "n"), ("R width", "t"), ("L extent", "n"), ("L width", "t")]
    columns += [("Calcification", "t"), ("W", "n"), ("M", "n"), ("D", "n")]
    columns += [("Symbols", "t"), ("Comment", "t"), ("Reading date", "t"), ("Reader ID", "t"), ("Reader", "t")]
    assert len(columns) == 89, len(columns)
    return columns


SUMMARY_GROUPS = [  # (first column, last column, heading)
    (2, 6, "Patient"), (7, 7, "Parenchymal"), (8, 19, "Rounded opacities"), (20, 30, "Irregular opacities"),
    (31, 39, "Ground glass opacity"), (40, 47, "Honeycombing"), (48, 55, "Emphysema"),
    (56, 63, "Large opacities"), (64, 64, "Predominant"), (65, 80, "Pleural abnormalities"),
    (81, 84, "Pleural calcification"), (85, 89, "Symbols, comment and reader"),
]


def summary_sheet(ws):
    label(ws, 1, 1, "Reading list", font=Font(bold=True, size=14))
    for first, last, text in SUMMARY_GROUPS:
        cell = label(ws, 3, first, text, last, BOLD, CENTRE)
        for column in range(first, last + 1):
            ws.cell(row=3, column=column).border = GRID
            ws.cell(row=3, column=column).fill = HEADING_FILL
        del cell
    for column, (heading, kind) in enumerate(summary_columns(), start=1):
        head = ws.cell(row=5, column=column, value=heading)
        head.font = BOLD
        head.fill = HEADING_FILL
        head.border = GRID
        head.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
        data = ws.cell(row=6, column=column)
        data.border = GRID
        if kind == "n":
            data.number_format = "0"
            data.alignment = CENTRE
        else:
            data.number_format = "@"
            data.alignment = LEFT
        width = 6 if kind == "n" else 9
        if column in (2, 3, 4, 5, 6, 85, 87, 88, 89):
            width = 16
        ws.column_dimensions[get_column_letter(column)].width = width
    ws.cell(row=6, column=86).alignment = Alignment(horizontal="left", vertical="top", wrap_text=True)
    ws.column_dimensions[get_column_letter(86)].width = 40
    ws.column_dimensions["A"].width = 5
    ws.row_dimensions[5].height = 30
    ws.freeze_panes = "C6"


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else "data/ReportSample.xlsx"
    book = Workbook()
    summary = book.active
    summary.title = "PA_List"
    summary_sheet(summary)
    form_sheet(book.create_sheet("改定案"))
    fixed = datetime.datetime(2026, 1, 1)
    book.properties.creator = "VANTOR-Viewer"
    book.properties.created = fixed
    book.properties.modified = fixed
    book.save(output)


if __name__ == "__main__":
    main()
