#!/usr/bin/python3
"""Writes the workbook the file benchmark reads: ROWS rows x 20 columns of mixed text, numbers
and dates, as an office export would look (written with openpyxl, so the engine reads a file it
did not write itself).

usage: gen_file_bench.py OUT.xlsx [ROWS]
"""
import datetime
import random
import sys

from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import Font

out = sys.argv[1]
rows = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
rng = random.Random(20240501)
names = [a + b for a in "王李张刘陈杨黄赵吴周" for b in ("伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "艳", "杰")]
depts = ["财务部", "销售部", "采购部", "人事部", "研发部", "市场部", "客服部", "行政部", "生产部", "质检部", "仓储部", "物流部"]
headers = ["序号", "姓名", "部门", "工号", "日期", "金额", "数量", "单价", "备注", "地区",
           "入职日期", "基本工资", "绩效", "津贴", "扣款", "实发", "状态", "项目", "完成率", "说明"]

wb = Workbook(write_only=True)
ws = wb.create_sheet("明细")
bold = Font(bold=True)
row = []
for h in headers:
    c = WriteOnlyCell(ws, value=h)
    c.font = bold
    row.append(c)
ws.append(row)
base = datetime.date(2020, 1, 1)
for i in range(1, rows + 1):
    d1 = WriteOnlyCell(ws, value=base + datetime.timedelta(days=rng.randrange(1500)))
    d1.number_format = "yyyy-mm-dd"
    d2 = WriteOnlyCell(ws, value=base - datetime.timedelta(days=rng.randrange(5000)))
    d2.number_format = "yyyy/m/d"
    amount = round(rng.uniform(10, 100000), 2)
    qty = rng.randrange(1, 500)
    salary = round(rng.uniform(3000, 30000), 2)
    ws.append([
        i, rng.choice(names), rng.choice(depts), "E%06d" % rng.randrange(1_000_000), d1, amount, qty,
        round(amount / qty, 4), "备注%d" % rng.randrange(5000), rng.choice(["华东", "华南", "华北", "西南", "西北", "东北"]),
        d2, salary, round(rng.uniform(0, 5000), 2), round(rng.uniform(0, 2000), 2), round(rng.uniform(0, 800), 2),
        round(salary * 0.9, 2), rng.choice(["在职", "离职", "试用"]), "项目%03d" % rng.randrange(300),
        round(rng.random(), 4), "第%d批次数据" % (i % 97),
    ])
wb.save(out)
