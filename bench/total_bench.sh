#!/usr/bin/env bash
# Times the totals through the headless command (reading and writing included) beside the
# openpyxl peer (`total`) on the same generated folders, in one run, for two jobs: the
# fixed-shape sheet 统计 (its region is `stat_range` of the folder's meta.json) and two columns
# (金额, 数量: F:G) of the detail sheet 明细.
#   bash bench/total_bench.sh [BUILD_DIR]
# DATA (default /tmp/lorvane-bench/total) keeps the generated folders between runs.
# FOLDERS (default "20x2000 100x2000"): workbooks x data rows of 明细.
# LIMIT (default 600) caps every single run in seconds; REPEAT (default 3) runs our command
# that many times (median time, largest peak memory), the peer once.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/bench_common.sh"
bench_start total "${1:-}"
folders="${FOLDERS:-20x2000 100x2000}"

printf '%-30s %9s %8s %9s %8s %7s %7s %s\n' input ours_s ours_MB peer_s peer_MB speedup mem/ status
for f in $folders; do
  books=${f%x*}; rows=${f#*x}
  folder="$data/folder_${books}x${rows}"
  if [ ! -d "$folder" ]; then
    echo "generating $folder" >&2
    $py "$peers/gen.py" folder --workbooks "$books" --rows "$rows" --depts 12 --title-rows 2 --footer-rows 2 \
      --outdir "$folder" >&2 || exit 1
  fi
  # meta.json is no workbook: neither program lists it.
  range=$($py -c 'import json,sys; print(json.load(open(sys.argv[1]))["stat_range"])' "$folder/meta.json")
  last_row=${range##*[A-Z]}
  start=${range%%[0-9]*}; rest=${range#*:}; end=${rest%%[0-9]*}

  # 统计: the region below its two title rows, to the last department.
  repeated ours "$cli" total-books "$folder" --sheet-number 2 --title-rows 2 --columns "$start:$end" \
    --max-rows "$last_row" --output "$work/ours-stat.xlsx"
  run peer $py "$peers/peer_openpyxl.py" total "$folder" "$work/peer-stat.xlsx" --sheet 统计 --range "$range"
  read_results
  printf '%-30s %9s %8s %9s %8s %7s %7s %s\n' "${books} books, 统计 ${range}" "$ours_s" "$ours_mb" "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"

  # 明细: 金额 and 数量 of every data row (two title rows, two footer rows).
  repeated ours "$cli" total-books "$folder" --sheet-number 1 --title-rows 2 --footer-rows 2 --columns F:G \
    --output "$work/ours-detail.xlsx"
  run peer $py "$peers/peer_openpyxl.py" total "$folder" "$work/peer-detail.xlsx" --sheet 明细 --range "F3:G$((rows + 2))"
  read_results
  printf '%-30s %9s %8s %9s %8s %7s %7s %s\n' "${books} books x ${rows} rows, 明细 F:G" "$ours_s" "$ours_mb" "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
done
echo "target at 100 workbooks: speedup >= 30x, mem/ (ours / peer) < 0.2"
