"""Prints every live row of a table as python3-dbfread reads it: one line a row, values tab-separated."""
import datetime
import decimal
import sys

import dbfread


def text(value):
    if value is None:
        return "<null>"
    if isinstance(value, str):
        return value.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.isoformat()
    if isinstance(value, float):
        return repr(value)
    if isinstance(value, decimal.Decimal):
        return str(value.normalize())
    return str(value)


for row in dbfread.DBF(sys.argv[1], encoding=sys.argv[2] if len(sys.argv) > 2 else None):
    print("\t".join(text(v) for v in row.values()))
