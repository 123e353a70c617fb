#!/usr/bin/python3
"""The same read and write with openpyxl, for comparison: prints seconds and peak memory.

usage: openpyxl_file_bench.py IN.xlsx OUT.xlsx
"""
import resource
import sys
import time

import openpyxl

t0 = time.perf_counter()
wb = openpyxl.load_workbook(sys.argv[1])
t1 = time.perf_counter()
wb.save(sys.argv[2])
t2 = time.perf_counter()
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
print(f"openpyxl read {t1 - t0:.2f} s  write {t2 - t1:.2f} s  peak {peak:.0f} MB")
