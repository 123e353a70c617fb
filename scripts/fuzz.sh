#!/usr/bin/env bash
# Fuzzes the workbook file readers and writers: builds the libFuzzer targets of fuzz/ with clang
# (AddressSanitizer, UndefinedBehaviorSanitizer) into build-fuzz/, makes seeds from the workbooks
# of ../shared/corpus and runs every target at once for MINUTES minutes (10 by default).
#
#   scripts/fuzz.sh [MINUTES]
#   nice -n 19 scripts/fuzz.sh 60                  # a long campaign that leaves the machine usable
#   FUZZ_TARGETS="sheet_xml" scripts/fuzz.sh 5     # some targets only
#
# Inputs that crash, hang or run out of memory are minimised and copied to tests/fuzz/<target>/,
# where the ordinary test build replays them (tests/fuzz). The corpus each target grows stays in
# build-fuzz/work/<target>/corpus for the next run. A target that finds a fault is restarted
# until its time is up. Settings: FUZZ_BUILD_DIR, FUZZ_CORPUS (the workbooks), FUZZ_TIMEOUT
# (seconds per input, 10), FUZZ_RSS_MB (2048); LORVANE_FUZZ_KNOWN ('|'-separated texts) lets
# findings whose message contains one of them pass, for faults reported and not yet fixed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-10}"
build_dir="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
work="$build_dir/work"
corpus="${FUZZ_CORPUS:-$here/../shared/corpus}"
timeout="${FUZZ_TIMEOUT:-10}"
rss="${FUZZ_RSS_MB:-2048}"
read -r -a targets <<<"${FUZZ_TARGETS:-package sheet_xml styles_xml shared_strings_xml}"

if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
  echo "usage: $0 [MINUTES]" >&2
  exit 2
fi

# Packages: the engine's build dependencies (the project configures as a whole), clang with its
# fuzzer and sanitizer runtimes, python3 for the seeds.
packages=(build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libzip-dev libisal-dev libexpat1-dev libjemalloc-dev
  clang python3)
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "安装依赖 / installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing "${packages[@]}"
clang_major="$(clang -dumpversion | cut -d. -f1)"
# The libFuzzer runtime is packaged apart from clang since Debian 12.
if apt-cache show "libclang-rt-$clang_major-dev" >/dev/null 2>&1; then
  install_missing "libclang-rt-$clang_major-dev"
fi

cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DLORVANE_FUZZ=ON -DLORVANE_TESTS=OFF -DLORVANE_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target fuzzers -j"$(nproc)"

python3 "$here/fuzz/prepare_seeds.py" "$corpus" "$work" --max-package $((1 << 20)) --max-part $((256 << 10))

# Every input is written to a file, read, saved (flushed to disk) and read again: on tmpfs the
# flushes cost nothing.
scratch="${TMPDIR:-/tmp}"
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm

max_len_of() { [ "$1" = package ] && echo $((1 << 20)) || echo $((256 << 10)); }

# Runs one target until the deadline, restarting it after each fault (at most 20).
run_target() {
  local t="$1" deadline="$2" dir="$work/$1" starts=0 left rc
  mkdir -p "$dir/corpus" "$dir/artifacts"
  : >"$dir/fuzz.log"
  while left=$((deadline - $(date +%s))); [ "$left" -gt 5 ] && [ "$starts" -lt 20 ]; do
    starts=$((starts + 1))
    echo "=== start $starts, ${left}s left" >>"$dir/fuzz.log"
    rc=0
    TMPDIR="$scratch" "$build_dir/fuzz/${t}_fuzzer" "$dir/corpus" "$dir/seeds" \
      -dict="$here/fuzz/spreadsheetml.dict" -max_len="$(max_len_of "$t")" \
      -timeout="$timeout" -rss_limit_mb="$rss" -max_total_time="$left" \
      -artifact_prefix="$dir/artifacts/" -print_final_stats=1 >>"$dir/fuzz.log" 2>&1 || rc=$?
    [ "$rc" -eq 0 ] && break
  done
}

start=$(date +%s)
deadline=$((start + minutes * 60))
echo "fuzzing ${targets[*]} for $minutes min (logs: $work/<target>/fuzz.log)"
pids=()
for t in "${targets[@]}"; do
  run_target "$t" "$deadline" &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || true; done
# A run that aborts on a finding leaves its scratch folder (FuzzTargets.cpp) behind.
for d in "$scratch"/lorvane-fuzz-*; do
  if [ -d "$d" ] && ! kill -0 "${d##*-}" 2>/dev/null; then rm -rf "$d"; fi
done
elapsed=$(($(date +%s) - start))

# Findings: minimised into tests/fuzz/<target>/ (the raw input when minimising does not reproduce
# it); the artifacts handled move to artifacts/done/.
found=0
declare -A faults
for t in "${targets[@]}"; do
  dir="$work/$t"
  faults[$t]=0
  mkdir -p "$dir/artifacts/done"
  for a in "$dir"/artifacts/{crash,timeout,oom,leak}-*; do
    [ -e "$a" ] || continue
    name="$(basename "$a")"
    keep="$here/tests/fuzz/$t/$name"
    mkdir -p "$here/tests/fuzz/$t"
    TMPDIR="$scratch" "$build_dir/fuzz/${t}_fuzzer" "$a" -minimize_crash=1 -max_total_time=60 -timeout="$timeout" \
      -rss_limit_mb="$rss" -exact_artifact_path="$keep" >"$dir/minimize-$name.log" 2>&1 || true
    [ -s "$keep" ] || cp "$a" "$keep"
    mv "$a" "$dir/artifacts/done/"
    echo "finding: $t/$name -> tests/fuzz/$t/$name ($(stat -c %s "$keep") bytes; log: $dir/minimize-$name.log)"
    faults[$t]=$((faults[$t] + 1))
    found=$((found + 1))
  done
done

printf '\n%-20s %8s %12s %8s %8s %8s %8s %8s\n' target minutes executions exec/s cov ft corpus findings
for t in "${targets[@]}"; do
  log="$work/$t/fuzz.log"
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{s += $2} END {print s + 0}')
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  files=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-20s %8s %12s %8s %8s %8s %8s %8s\n' "$t" "$((elapsed / 60))" "$runs" "$((runs / (elapsed > 0 ? elapsed : 1)))" \
    "${cov:-?}" "${ft:-?}" "${files:-?}" "${faults[$t]}"
done
if [ "$found" -gt 0 ]; then
  echo "$found new finding(s) under tests/fuzz/: replay them with the test build (ctest -R FuzzReplay)."
  exit 1
fi
