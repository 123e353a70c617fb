# Helpers of the benchmark scripts: their shared settings, timing commands with their peak
# memory, medians, ratios. Sourced with `here` set to bench/.

# bench_start NAME [BUILD_DIR]: what every benchmark takes from its environment: BUILD_DIR
# (default build/), DATA (default /tmp/lorvane-bench/NAME, kept between runs), LIMIT (seconds a
# run, default 600) and REPEAT (our runs, default 3); sets build, peers, py, data, limit, repeat,
# cli (the program) and work (a scratch folder removed at exit).
bench_start() {
  build="${2:-$here/../build}"
  peers="$here/../../shared/peers"
  py=/usr/bin/python3
  data="${DATA:-/tmp/lorvane-bench/$1}"
  limit="${LIMIT:-600}"
  repeat="${REPEAT:-3}"
  cli="$build/src/lorvane"
  [ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
  mkdir -p "$data"
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
}

# run NAME COMMAND...: wall seconds and peak memory (KB) of one command into $work/NAME.{s,kb,rc}
run() {
  local name=$1; shift
  /usr/bin/time -f '%e %M' -o "$work/$name.time" timeout "$limit" "$@" >"$work/$name.out" 2>"$work/$name.err"
  echo $? >"$work/$name.rc"
  read -r secs kb <"$work/$name.time" || true
  echo "${secs:-nan}" >"$work/$name.s"
  echo "${kb:-0}" >"$work/$name.kb"
}

# repeated NAME COMMAND...: `run` $repeat times; median seconds, largest memory, last status
repeated() {
  local name=$1; shift
  local times=() kbs=() i
  for ((i = 0; i < repeat; i++)); do
    run "$name" "$@"
    times+=("$(cat "$work/$name.s")"); kbs+=("$(cat "$work/$name.kb")")
    [ "$(cat "$work/$name.rc")" = 0 ] || break
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }' >"$work/$name.s"
  printf '%s\n' "${kbs[@]}" | sort -g | tail -1 >"$work/$name.kb"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }'; }
ratio2() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }


# The figures of the last `repeated ours` and `run peer`: sets ours_s, ours_mb, peer_s, peer_mb,
# speedup, memshare and status.
read_results() {
  ours_s=$(cat "$work/ours.s"); peer_s=$(cat "$work/peer.s")
  local ours_kb peer_kb
  ours_kb=$(cat "$work/ours.kb"); peer_kb=$(cat "$work/peer.kb")
  ours_mb=$(mb "$ours_kb"); peer_mb=$(mb "$peer_kb")
  speedup="$(ratio "$peer_s" "$ours_s")x"; memshare=$(ratio2 "$ours_kb" "$peer_kb")
  status="ok"
  [ "$(cat "$work/ours.rc")" = 0 ] || status="ours failed: $(tr '\n' ' ' <"$work/ours.err" | head -c 200)"
  [ "$(cat "$work/peer.rc")" = 0 ] || status="$status; peer rc=$(cat "$work/peer.rc")"
}
