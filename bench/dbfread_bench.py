"""Reads the benchmark table with python3-dbfread and prints the same figures as corvalen-vfp-read-bench.

Usage: /usr/bin/python3 bench/dbfread_bench.py <folder>/bench.dbf
"""
import resource
import sys
import time

import dbfread

start = time.perf_counter()
rows = 0
for record in dbfread.DBF(sys.argv[1], encoding="cp1252"):
    rows += 1
seconds = time.perf_counter() - start
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
print(f"read-dbfread rows={rows} seconds={seconds:.3f} rows_per_s={rows / seconds:.0f} peak_rss_mib={peak:.1f}")
