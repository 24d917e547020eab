"""Opens a table with python3-dbf and prints its live rows, one a line, values stripped and tab-separated."""
import sys

import dbf

table = dbf.Table(sys.argv[1])
table.open(dbf.READ_ONLY)
for record in table:
    print("\t".join(str(v).strip() if v is not None else "<null>" for v in record))
table.close()
