#!/usr/bin/env python3
"""Seeds for the fuzz targets from a folder of workbooks (../shared/corpus by default).

package:            the zip files themselves (.xlsx, .xlsm, .xltx, damaged zips), up to --max-package bytes
                    that inflate to at most --max-inflated bytes (one huge sheet takes seconds a run)
sheet_xml:          every worksheet part of them (xl/worksheets/*.xml)
styles_xml:         every styles part (xl/styles.xml)
shared_strings_xml: every shared-strings part (xl/sharedStrings.xml)

Parts go up to --max-part bytes; identical seeds are kept once. Writes <work>/<target>/seeds/.
"""
import argparse
import hashlib
import os
import re
import shutil
import sys
import zipfile

PART_PATTERNS = {
    "sheet_xml": re.compile(r"(^|/)worksheets/[^/]+\.xml$", re.I),
    "styles_xml": re.compile(r"(^|/)styles\.xml$", re.I),
    "shared_strings_xml": re.compile(r"(^|/)sharedstrings\.xml$", re.I),
}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("corpus", help="folder searched recursively for workbooks")
    ap.add_argument("work", help="fuzz work folder; seeds go to <work>/<target>/seeds")
    ap.add_argument("--max-package", type=int, default=1 << 20)
    ap.add_argument("--max-part", type=int, default=256 << 10)
    ap.add_argument("--max-inflated", type=int, default=16 << 20)
    args = ap.parse_args()

    targets = ["package"] + list(PART_PATTERNS)
    seen = {t: set() for t in targets}
    dirs = {}
    for t in targets:
        dirs[t] = os.path.join(args.work, t, "seeds")
        shutil.rmtree(dirs[t], ignore_errors=True)
        os.makedirs(dirs[t])

    def keep(target, name, data):
        digest = hashlib.sha1(data).hexdigest()
        if digest in seen[target]:
            return
        seen[target].add(digest)
        safe = re.sub(r"[^A-Za-z0-9._-]", "_", name)[:100]
        with open(os.path.join(dirs[target], f"{safe}-{digest[:8]}"), "wb") as f:
            f.write(data)

    if not os.path.isdir(args.corpus):
        print(f"no corpus at {args.corpus}: the fuzzers start from nothing", file=sys.stderr)
    for root, _, files in os.walk(args.corpus):
        for fname in sorted(files):
            path = os.path.join(root, fname)
            with open(path, "rb") as f:
                head = f.read(4)
            if head[:2] != b"PK":
                continue  # legacy .xls and the like go to LibreOffice, not to the engine
            inflated = 0
            try:
                with zipfile.ZipFile(path) as z:
                    inflated = sum(i.file_size for i in z.infolist())
            except (zipfile.BadZipFile, OSError, RuntimeError, NotImplementedError, ValueError):
                pass
            if os.path.getsize(path) <= args.max_package and inflated <= args.max_inflated:
                with open(path, "rb") as f:
                    keep("package", fname, f.read())
            try:
                with zipfile.ZipFile(path) as z:
                    for info in z.infolist():
                        for target, pattern in PART_PATTERNS.items():
                            if pattern.search(info.filename) and info.file_size <= args.max_part:
                                try:
                                    data = z.read(info)
                                except Exception:
                                    continue  # damaged entry
                                keep(target, fname + "__" + os.path.basename(info.filename), data)
            except (zipfile.BadZipFile, OSError, RuntimeError, NotImplementedError, ValueError):
                pass  # a damaged zip is still a package seed
    for t in targets:
        print(f"{t}: {len(seen[t])} seeds")


if __name__ == "__main__":
    main()
