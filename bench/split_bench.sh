#!/usr/bin/env bash
# Times both splits through the headless commands (file reading and writing included) beside
# the openpyxl peer on the same generated master sheets, in one run, with peak memory.
#   bash bench/split_bench.sh [BUILD_DIR]
# BUILD_DIR defaults to build/ (needs the target split_cli, or a lorvane that knows split-sheets).
# DATA (default /tmp/lorvane-bench/split) keeps the generated inputs between runs.
# SIZES (default "20000 100000 100000x200"): rows, with xD for D departments (default 12).
# LIMIT (default 600) caps every single run in seconds.
# REPEAT (default 3) runs our command that many times: the median time and the largest peak
# memory are reported (the peer, some 30 s a run, runs once).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
peers="$here/../../shared/peers"
py=/usr/bin/python3
data="${DATA:-/tmp/lorvane-bench/split}"
limit="${LIMIT:-600}"
repeat="${REPEAT:-3}"
sizes="${SIZES:-20000 100000 100000x200}"
layout=(--title-rows 2 --footer-rows 2)

if [ -x "$build/src/lorvane" ] && "$build/src/lorvane" --help 2>/dev/null | grep -q split-sheets; then
  cli=("$build/src/lorvane")
elif [ -x "$build/bench/split_cli" ]; then
  cli=("$build/bench/split_cli")
else
  echo "no split command found under $build (build the target split_cli)" >&2
  exit 2
fi

mkdir -p "$data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$here/bench_common.sh"

printf '%-22s %-7s %9s %8s %9s %8s %7s %7s %s\n' input job ours_s ours_MB peer_s peer_MB speedup mem/ status
for size in $sizes; do
  rows=${size%x*}; depts=12
  [ "$size" != "$rows" ] && depts=${size#*x}
  master="$data/master_${rows}_d${depts}.xlsx"
  if [ ! -e "$master" ]; then
    echo "generating $master" >&2
    $py "$peers/gen.py" master --rows "$rows" --depts "$depts" "${layout[@]}" --out "$master" >&2 || exit 1
  fi
  for job in sheets books; do
    case=$work/$size-$job; mkdir -p "$case"
    cp "$master" "$case/master.xlsx"
    if [ $job = sheets ]; then
      repeated ours "${cli[@]}" split-sheets "$case/master.xlsx" --sheet 明细 --key C "${layout[@]}" --output "$case/ours.xlsx"
      run peer $py "$peers/peer_openpyxl.py" split "$case/master.xlsx" "$case/peer.xlsx" --key C --to sheets "${layout[@]}"
    else
      rm -rf "$case/分表"
      repeated ours "${cli[@]}" split-books "$case/master.xlsx" --sheet 明细 --key C "${layout[@]}"
      run peer $py "$peers/peer_openpyxl.py" split "$case/master.xlsx" "$case/peer_books" --key C --to workbooks "${layout[@]}"
    fi
    read_results
    printf '%-22s %-7s %9s %8s %9s %8s %7s %7s %s\n' "${rows} rows ${depts} keys" $job "$ours_s" "$ours_mb" \
      "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
    rm -rf "$case"
  done
done
echo "targets at 100000 rows: sheets < 1 s, books < 2 s, speedup >= 30x, mem/ (ours / peer) < 0.2"
