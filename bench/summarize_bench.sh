#!/usr/bin/env bash
# Times both summaries through the headless commands (reading and writing included) beside the
# openpyxl peer on the same generated inputs, in one run: the sheets of one workbook (peer
# `summarize`) and sheet 1 of every workbook of a folder (peer `combine`).
#   bash bench/summarize_bench.sh [BUILD_DIR]
# DATA (default /tmp/lorvane-bench/summarize) keeps the generated inputs between runs.
# SIZES (default "2000 10000"): data rows of each of the 10 sheets.
# FOLDERS (default "20x2000 100x2000"): workbooks x data rows of the folder summary.
# LIMIT (default 600) caps every single run in seconds; REPEAT (default 3) runs our command
# that many times (median time, largest peak memory), the peer once.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/bench_common.sh"
bench_start summarize "${1:-}"
sizes="${SIZES:-2000 10000}"
folders="${FOLDERS:-20x2000 100x2000}"
layout=(--title-rows 2 --footer-rows 2)

printf '%-24s %9s %8s %9s %8s %7s %7s %s\n' input ours_s ours_MB peer_s peer_MB speedup mem/ status
for rows in $sizes; do
  book="$data/sheets10_${rows}.xlsx"
  if [ ! -e "$book" ]; then
    echo "generating $book" >&2
    $py "$peers/gen.py" master --sheets 10 --rows "$rows" --depts 12 "${layout[@]}" --out "$book" >&2 || exit 1
  fi
  repeated ours "$cli" summarize-sheets "$book" "${layout[@]}" --keep-footer --output "$work/ours.xlsx"
  run peer $py "$peers/peer_openpyxl.py" summarize "$book" "$work/peer.xlsx" "${layout[@]}" --keep-footer
  read_results
  printf '%-24s %9s %8s %9s %8s %7s %7s %s\n' "10 sheets x ${rows} rows" "$ours_s" "$ours_mb" "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
done
for f in $folders; do
  books=${f%x*}; rows=${f#*x}
  folder="$data/folder_${books}x${rows}"
  if [ ! -d "$folder" ]; then
    echo "generating $folder" >&2
    $py "$peers/gen.py" folder --workbooks "$books" --rows "$rows" --depts 12 "${layout[@]}" --outdir "$folder" >&2 || exit 1
    rm -f "$folder"/*.json
  fi
  repeated ours "$cli" summarize-books "$folder" --sheet-number 1 "${layout[@]}" --output "$work/ours-books.xlsx"
  run peer $py "$peers/peer_openpyxl.py" combine "$folder" "$work/peer-books.xlsx" "${layout[@]}"
  read_results
  printf '%-24s %9s %8s %9s %8s %7s %7s %s\n' "${books} books x ${rows} rows" "$ours_s" "$ours_mb" "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
done
echo "target at the largest size: speedup >= 30x, mem/ (ours / peer) < 0.2"
