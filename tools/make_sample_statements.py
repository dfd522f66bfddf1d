#!/usr/bin/env python3
"""Writes the made-up sample statements of tests/data/statements that banks export in layouts
beyond plain CSV: all of the worked example in tests/support/bankbook.h (May 2024, opening
10,000.00: 5,000.00 in on the 3rd, 3,000.00 out on the 11th, 150.00 interest on the 20th, a
50.00 fee on the 25th). Needs python3-openpyxl and python3-xlwt; the files are kept in the
repository, so the build does not run this."""
import datetime
import os
import sys

import openpyxl
import xlwt

HERE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), '..', 'tests', 'data', 'statements')

# date, time, summary, amount (in positive), balance, counterparty, serial
LINES = [
    (datetime.date(2024, 5, 3), '10:22:33', '货款', 5000.00, 15000.00, '示例客户有限公司', '1001'),
    (datetime.date(2024, 5, 11), '09:01:02', '材料款', -3000.00, 12000.00, '示例供应商', '2001'),
    (datetime.date(2024, 5, 20), '08:00:00', '利息', 150.00, 12150.00, '', 'B0520'),
    (datetime.date(2024, 5, 25), '11:11:11', '手续费', -50.00, 12100.00, '', 'B0525'),
]


def money(x):
    return '{:,.2f}'.format(abs(x))


def direction_gb18030():
    """One unsigned amount and a column 借贷标志; a date with its time in one cell; every cell
    padded with spaces and a tab; a zero row and a total row."""
    rows = [['示例银行账户明细（虚构数据，仅供测试）'], ['账号：', '6222 0000 0000 0000 001'],
            ['户名：', '示例公司（虚构）'], [],
            ['交易日期', '摘要', '交易金额', '借贷标志', '余额', '对方户名', '流水号']]
    for d, t, summary, amount, balance, who, serial in LINES:
        rows.append([d.strftime('%Y%m%d ') + t, summary, money(amount),
                     '贷 Cr' if amount > 0 else '借 Dr', money(balance), who, serial])
        if serial == '2001':
            rows.append(['20240515 16:00:00', '账户维护', '0.00', '借 Dr', money(balance), '', 'B0515'])
    rows.append(['合计', '', '5,200.00', '', '', '', ''])
    text = ''
    for row in rows:
        text += ','.join('"%s" \t' % c if ',' in c else c + ' \t' for c in row) + '\r\n'
    with open(os.path.join(HERE, 'sample_direction_gb18030.csv'), 'wb') as f:
        f.write(text.encode('gb18030'))


def two_pairs_utf8():
    """Two pairs of money columns, 交易金额 filled with "-"; 本次余额 beside 可用余额; newest
    first; 合计 inside summaries and a closing 人民币合计 row."""
    summaries = {'1001': '代发工资合计退回', '2001': '支付设备总计划款', 'B0520': '结息合计'}
    text = ('交易日期,摘要,交易金额(收入),交易金额(支出),记账金额（收入）,记账金额（支出）,本次余额,'
            '可用余额,对方户名,交易流水号\n')
    for d, t, summary, amount, balance, who, serial in reversed(LINES):
        text += '%s,%s,-,-,%s,%s,"%s","%s",%s,%s\n' % (
            d.isoformat(), summaries.get(serial, summary),
            '"%s"' % money(amount) if amount > 0 else '', '"%s"' % money(amount) if amount < 0 else '',
            money(balance), money(balance - 1000), who, serial)
    text += '人民币合计,,,,"5,150.00","3,050.00",,,,\n'
    with open(os.path.join(HERE, 'sample_two_pairs_utf8.csv'), 'wb') as f:
        f.write(text.encode('utf-8'))


def direction_letters_xlsx():
    """A workbook: dates as date cells, a time column, amounts as numbers, the side as D/C,
    联机余额."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = '交易明细'
    sheet.append(['示例银行（虚构数据，仅供测试）'])
    sheet.append(['账号', '6222000000000000002'])
    sheet.append(['记账日期', '交易时间', '用途', '发生额', '收支', '联机余额', '对方账户名称', '交易序号'])
    for d, t, summary, amount, balance, who, serial in LINES:
        sheet.append([d, t, summary, abs(amount), 'C' if amount > 0 else 'D', balance, who or None,
                      serial])
        sheet.cell(sheet.max_row, 1).number_format = 'yyyy-mm-dd'
        sheet.cell(sheet.max_row, 4).number_format = '#,##0.00'
    book.save(os.path.join(HERE, 'sample_direction_letters.xlsx'))


def debit_credit_xls():
    """An Excel 97-2003 workbook, newest first: 借方发生额 and 贷方发生额, 账户余额."""
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Sheet1')
    dates = xlwt.easyxf(num_format_str='YYYY-MM-DD')
    header = ['交易日期', '摘要', '借方发生额', '贷方发生额', '账户余额', '对方户名', '交易流水号']
    sheet.write(0, 0, '示例银行对账单（虚构数据，仅供测试）')
    for c, title in enumerate(header):
        sheet.write(2, c, title)
    for r, (d, t, summary, amount, balance, who, serial) in enumerate(reversed(LINES), start=3):
        sheet.write(r, 0, d, dates)
        sheet.write(r, 1, summary)
        if amount < 0:
            sheet.write(r, 2, -amount)
        else:
            sheet.write(r, 3, amount)
        sheet.write(r, 4, balance)
        sheet.write(r, 5, who)
        sheet.write(r, 6, serial)
    book.save(os.path.join(HERE, 'sample_debit_credit.xls'))


direction_gb18030()
two_pairs_utf8()
direction_letters_xlsx()
debit_credit_xls()
