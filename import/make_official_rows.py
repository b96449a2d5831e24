#!/usr/bin/env python3
"""Writes official_rows.cpp from the portal's row list (official-rows.csv):
   ./make_official_rows.py official-rows.csv > official_rows.cpp"""
import csv, sys

tables = {'UA': 'Table::Assets', 'UD': 'Table::Liabilities', 'UB': 'Table::ProfitLoss'}
print('// Written by make_official_rows.py from the portal\'s row list; change that list, not this file.')
print('#include "import/official.h"\n')
print('namespace bilimport {\n')
print('namespace {\n')
print('// Table, line number, mark, forms that have the row (P full, Z small, M micro), text.')
print('constexpr OfficialRow kRows[] = {')
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    for r in csv.DictReader(f):
        text = r['text'].replace('\\', '\\\\').replace('"', '\\"')
        print(f'    {{{tables[r["veta"]]}, {r["c_radku"]}, "{r["oznaceni"]}", "{r["rozsah"]}", "{text}"}},')
print('};\n')
print('} // namespace\n')
print('std::span<const OfficialRow> OfficialRows()\n{\n    return kRows;\n}\n')
print('} // namespace bilimport')
