#!/usr/bin/env bash
# Times the column extraction through `lorvane extract` (reading and writing included) beside the
# openpyxl peer (`extract --to workbook`) on the same generated master, in one run: columns
# B,C,D,F of 明细 into a new workbook, by values and by deleting the other columns.
#   bash bench/extract_bench.sh [BUILD_DIR]
# DATA (default /tmp/lorvane-bench/extract) keeps the generated inputs between runs.
# SIZES (default "20000 100000"): data rows of the master.
# LIMIT (default 600) caps every single run in seconds; REPEAT (default 3) runs our command
# that many times (median time, largest peak memory), the peer once per size.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/bench_common.sh"
bench_start extract "${1:-}"
sizes="${SIZES:-20000 100000}"
layout=(--title-rows 2 --footer-rows 2)

printf '%-16s %-7s %9s %8s %9s %8s %7s %7s %s\n' input job ours_s ours_MB peer_s peer_MB speedup mem/ status
for rows in $sizes; do
  master="$data/master_${rows}.xlsx"
  if [ ! -e "$master" ]; then
    echo "generating $master" >&2
    $py "$peers/gen.py" master --rows "$rows" --depts 12 "${layout[@]}" --out "$master" >&2 || exit 1
  fi
  run peer $py "$peers/peer_openpyxl.py" extract "$master" "$work/peer.xlsx" --cols B,C,D,F --to workbook "${layout[@]}"
  for method in values delete; do
    repeated ours "$cli" extract "$master" --sheet 明细 --title-rows 2 --columns B,C,D,F --method $method \
      --to book --output "$work/ours-$method.xlsx"
    read_results
    printf '%-16s %-7s %9s %8s %9s %8s %7s %7s %s\n' "${rows} rows" $method "$ours_s" "$ours_mb" \
      "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
  done
done
echo "target at 100000 rows: speedup >= 30x, mem/ (ours / peer) < 0.2"
