#!/usr/bin/python3
"""Writes the small workbooks the structure-edit tests use (checked in beside this script).

features.xlsx: sheet 数据 with conditional formats (one multi-area), validations (one pointing
at sheet 列表), hyperlinks, an autofilter with a filter column, comments, two charts (one-cell
and two-cell anchors), print area and titles, a named range; sheet 表格 with a table; sheet 汇总
with formulas into 数据.
"""
import sys
from pathlib import Path

from openpyxl import Workbook
from openpyxl.chart import BarChart, Reference
from openpyxl.comments import Comment
from openpyxl.drawing.spreadsheet_drawing import AnchorMarker, TwoCellAnchor
from openpyxl.formatting.rule import CellIsRule, ColorScaleRule, FormulaRule
from openpyxl.styles import PatternFill
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.table import Table, TableStyleInfo

out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)

wb = Workbook()
ws = wb.active
ws.title = "数据"
ws.append(["部门", "姓名", "金额", "日期", "备注"])
depts = ["销售", "财务", "人事"]
for i in range(10):
    ws.append([depts[i % 3], f"员工{i + 1}", 100 * (i + 1), f"2024-01-{i + 1:02d}", f"备注{i + 1}"])

red = PatternFill(start_color="FFC7CE", end_color="FFC7CE", fill_type="solid")
ws.conditional_formatting.add("C2:C11", ColorScaleRule(start_type="min", start_color="FFFFFF", end_type="max", end_color="63BE7B"))
ws.conditional_formatting.add("E2:E11", FormulaRule(formula=["$C2>500"], fill=red))
ws.conditional_formatting.add("A2:A5 D2:D5", CellIsRule(operator="equal", formula=['"销售"'], fill=red))

dv = DataValidation(type="list", formula1='"销售,财务,人事"', allow_blank=True)
dv.add("A2:A11")
ws.add_data_validation(dv)
dv2 = DataValidation(type="whole", operator="between", formula1="0", formula2="$C$11")
dv2.add("C2:C11")
ws.add_data_validation(dv2)
dv3 = DataValidation(type="list", formula1="列表!$A$1:$A$3")
dv3.add("B2:B11")
ws.add_data_validation(dv3)

ws["B3"].hyperlink = "https://example.com/员工2"
ws["E11"].hyperlink = "#'列表'!A1"

ws.auto_filter.ref = "A1:E11"
ws.auto_filter.add_filter_column(2, ["300", "500"])

ws["C5"].comment = Comment("金额待核对", "审核")
ws["B11"].comment = Comment("新员工", "人事")

chart = BarChart()
chart.add_data(Reference(ws, min_col=3, min_row=1, max_row=11), titles_from_data=True)
chart.set_categories(Reference(ws, min_col=2, min_row=2, max_row=11))
chart.anchor = "H2"
ws.add_chart(chart)
chart2 = BarChart()
chart2.add_data(Reference(ws, min_col=3, min_row=1, max_row=11), titles_from_data=True)
anchor = TwoCellAnchor()
anchor._from = AnchorMarker(col=7, row=19, colOff=0, rowOff=0)   # H20
anchor.to = AnchorMarker(col=12, row=29, colOff=0, rowOff=0)     # M30
chart2.anchor = anchor
ws.add_chart(chart2)

ws.print_area = "A1:E11"
ws.print_title_rows = "1:1"
wb.defined_names.append(DefinedName("金额区", attr_text="'数据'!$C$2:$C$11"))

lists = wb.create_sheet("列表")
for i, d in enumerate(depts, start=1):
    lists.cell(row=i, column=1, value=d)

tws = wb.create_sheet("表格")
tws.append(["编号", "名称", "数量", "单价"])
for i in range(5):
    tws.append([i + 1, f"物品{i + 1}", (i + 1) * 3, 2.5 * (i + 1)])
table = Table(displayName="物品表", ref="A1:D6")
table.tableStyleInfo = TableStyleInfo(name="TableStyleMedium9", showRowStripes=True)
tws.add_table(table)

summary = wb.create_sheet("汇总")
summary["A1"] = "=SUM('数据'!C2:C11)"
summary["A2"] = "='数据'!C5"
summary["A3"] = "=SUM(表格!C2:C6)"

wb.save(out / "features.xlsx")
