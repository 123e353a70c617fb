#!/usr/bin/env bash
# Times compare (marking, and extracting both row sets) and fill through the headless commands
# (file reading and writing included) beside the openpyxl peer on the same generated pair of
# tables, in one run, with peak memory; checks our found / not-found counts against the pair's
# .meta.json.
#   bash bench/compare_bench.sh [BUILD_DIR]
# BUILD_DIR defaults to build/ (needs a lorvane that knows compare and fill).
# DATA (default /tmp/lorvane-bench/compare) keeps the generated inputs between runs.
# SIZES (default "20000 100000"): rows of table one. LIMIT (default 600) caps a run in seconds.
# REPEAT (default 3) runs our command that many times: the median time and the largest peak
# memory are reported (the peer runs once).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/bench_common.sh"
bench_start compare "${1:-}"
sizes="${SIZES:-20000 100000}"


meta() { $py -c "import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])" "$1" "$2"; }

printf '%-16s %-6s %9s %8s %9s %8s %7s %7s %s\n' input job ours_s ours_MB peer_s peer_MB speedup mem/ status
for rows in $sizes; do
  one="$data/pair_${rows}_1.xlsx"; two="$data/pair_${rows}_2.xlsx"
  if [ ! -e "$one" ] || [ ! -e "$two" ]; then
    echo "generating $one and $two" >&2
    $py "$peers/gen.py" pair --rows1 "$rows" --overlap 0.7 --dup 0.02 --depts 12 --title-rows 2 --footer-rows 2 \
      --out1 "$one" --out2 "$two" >&2 || exit 1
  fi
  m="$one.meta.json"
  key1=$(meta "$m" key1); key2=$(meta "$m" key2)
  exist=$(meta "$m" exist_rows); missing=$(meta "$m" missing_rows)
  map=$(meta "$m" fill_map)                       # "I=D,J=E"
  fillcols=$(echo "$map" | sed -E 's/([A-Z]+)=[A-Z]+/\1/g')
  sourcecols=$(echo "$map" | sed -E 's/[A-Z]+=([A-Z]+)/\1/g')
  ours_args=("$one" --sheet1 明细 --title-rows1 2 --key1 "$key1" --footer-rows1 2
             --book2 "$two" --sheet2 花名册 --title-rows2 2 --key2 "$key2")
  peer_args=("$one" "$two" --sheet1 明细 --sheet2 花名册 --title-rows1 2 --footer-rows1 2 --title-rows2 2
             --key1 "$key1" --key2 "$key2")
  for job in mark both fill; do
    case=$work/$rows-$job; mkdir -p "$case"
    case $job in
      mark)
        repeated ours "$cli" compare "${ours_args[@]}" --output "$case/ours.xlsx"
        run peer $py "$peers/peer_openpyxl.py" compare "${peer_args[@]:0:2}" "$case/peer.xlsx" "${peer_args[@]:2}" ;;
      both)
        repeated ours "$cli" compare "${ours_args[@]}" --mode both --output "$case/ours.xlsx"
        run peer $py "$peers/peer_openpyxl.py" compare "${peer_args[@]:0:2}" "$case/peer.xlsx" "${peer_args[@]:2}" --mode extract ;;
      fill)
        repeated ours "$cli" fill "${ours_args[@]}" --fill-columns "$fillcols" --source-columns "$sourcecols" \
          --output "$case/ours.xlsx"
        run peer $py "$peers/peer_openpyxl.py" fill "${peer_args[@]:0:2}" "$case/peer.xlsx" "${peer_args[@]:2}" --map "$map" ;;
    esac
    read_results
    expected="存在 $exist 行，不存在 $missing 行"
    [ $job = fill ] && expected="找到 $exist 行并已填充，$missing 行"
    if [ "$(cat "$work/ours.rc")" = 0 ] && ! grep -q "$expected" "$work/ours.err"; then
      status="$status; counts differ from the meta ($expected): $(grep -E '行' "$work/ours.err" | tail -1)"
    fi
    printf '%-16s %-6s %9s %8s %9s %8s %7s %7s %s\n' "${rows} rows" $job "$ours_s" "$ours_mb" \
      "$peer_s" "$peer_mb" "$speedup" "$memshare" "$status"
    rm -rf "$case"
  done
done
echo "targets at 100000 rows: speedup >= 30x on each job, mem/ (ours / peer) < 0.2"
