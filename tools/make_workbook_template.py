#!/usr/bin/python3
"""Builds templates/ExcelF.dat, the workbook from which the export makes "qbk.xls".

The first sheet is laid out for a month of the journal: the book's category as the title in
row 1, "账簿：" and the book's name in row 2, the column titles in row 3 and the month's lines
from row 4 on. Row 4 is the pattern row: the export gives every line the formatting of row 4
(borders, alignment, number and date formats). Printing: landscape, one page wide, rows 1 to 3
repeated on every page.

Run with Debian's python3-openpyxl:  /usr/bin/python3 tools/make_workbook_template.py
The file is committed; run this again only to change the layout. Zip entries get a fixed
time stamp, so the same layout gives the same bytes.
"""
import datetime
import io
import pathlib
import zipfile

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

FONT = "宋体"
COLUMNS = [  # title, width, number format, horizontal alignment
    ("记账日期", 12, "yyyy-mm-dd", "center"),
    ("凭证号", 8, "0", "center"),
    ("票号", 12, "@", "left"),
    ("摘要", 36, "General", "left"),
    ("借方", 15, "#,##0.00", "right"),
    ("贷方", 15, "#,##0.00", "right"),
    ("余额", 15, "#,##0.00", "right"),
    ("凭证张数", 9, "0", "center"),
    ("报销人", 10, "General", "center"),
    ("经办人", 10, "General", "center"),
]
TITLE_ROWS, HEADER_ROW, PATTERN_ROW = 2, 3, 4


def build():
    wb = Workbook()
    ws = wb.active
    ws.title = "日记帐"
    thin = Side(style="thin", color="000000")
    box = Border(left=thin, right=thin, top=thin, bottom=thin)
    last = chr(ord("A") + len(COLUMNS) - 1)

    ws.merge_cells(f"A1:{last}1")
    ws["A1"] = "日记帐"
    ws["A1"].font = Font(name=FONT, size=18, bold=True, underline="double")
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws.row_dimensions[1].height = 32

    ws.merge_cells("A2:F2")
    ws["A2"] = "账簿："
    ws["A2"].font = Font(name=FONT, size=11)
    ws["A2"].alignment = Alignment(horizontal="left", vertical="center")
    ws[f"{last}2"] = "金额单位：元"
    ws[f"{last}2"].font = Font(name=FONT, size=10)
    ws[f"{last}2"].alignment = Alignment(horizontal="right", vertical="center")
    ws.row_dimensions[2].height = 20

    header_fill = PatternFill("solid", fgColor="F2F2F2")
    for i, (title, width, number_format, align) in enumerate(COLUMNS, start=1):
        letter = chr(ord("A") + i - 1)
        ws.column_dimensions[letter].width = width
        head = ws.cell(row=HEADER_ROW, column=i, value=title)
        head.font = Font(name=FONT, size=10, bold=True)
        head.alignment = Alignment(horizontal="center", vertical="center")
        head.border = box
        head.fill = header_fill
        pattern = ws.cell(row=PATTERN_ROW, column=i)
        pattern.font = Font(name=FONT, size=10)
        pattern.alignment = Alignment(horizontal=align, vertical="center")
        pattern.border = box
        pattern.number_format = number_format
    ws.row_dimensions[HEADER_ROW].height = 20

    ws.freeze_panes = f"A{PATTERN_ROW}"
    ws.print_title_rows = f"1:{HEADER_ROW}"
    ws.page_setup.orientation = "landscape"
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr.fitToPage = True
    ws.print_options.horizontalCentered = True
    ws.page_margins.left = ws.page_margins.right = 0.4
    ws.oddFooter.center.text = "第 &P 页 共 &N 页"

    stamp = datetime.datetime(2024, 1, 1)
    wb.properties.creator = "Quillbook"
    wb.properties.created = wb.properties.modified = stamp
    return wb


def fixed_zip(data: bytes) -> bytes:
    """The same entries, each stamped with one fixed time."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as src, \
            zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for info in src.infolist():
            entry = zipfile.ZipInfo(info.filename, date_time=(2024, 1, 1, 0, 0, 0))
            entry.compress_type = zipfile.ZIP_DEFLATED
            dst.writestr(entry, src.read(info.filename))
    return out.getvalue()


def main():
    buffer = io.BytesIO()
    build().save(buffer)
    target = pathlib.Path(__file__).resolve().parent.parent / "templates" / "ExcelF.dat"
    target.write_bytes(fixed_zip(buffer.getvalue()))
    print(target)


if __name__ == "__main__":
    main()
