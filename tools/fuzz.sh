#!/usr/bin/env bash
# Builds the libFuzzer harnesses (tests/fuzz/) with clang in
# build-fuzz/ and runs each of them for SECONDS (default 60).
#   tools/fuzz.sh [SECONDS] [TARGET...]      e.g. tools/fuzz.sh 600 fuzz_read_mt1
# Environment: FUZZ_JOBS (harnesses run side by side, default 1), FUZZ_NICE
# (niceness, default 10).
# Seeds come from tests/fuzz/corpus/<target>/ and are never modified; the
# growing corpus lives in build-fuzz/corpus/<target>/, crashing inputs in
# build-fuzz/artifacts/<target>/ (copy them to tests/data/fuzz-regressions/<target>/
# so tests/core/fuzz_regressions_test.cpp keeps them as regression tests).
# Exits 1 when any harness found a crash, a leak, a timeout or an out-of-memory input.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-1}
niceness=${FUZZ_NICE:-10}
builddir=build-fuzz

tools/install_deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B "$builddir" -G Ninja -DELD_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELD_BUILD_TESTS=OFF -DELD_BUILD_BENCH=OFF >/dev/null
if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(grep -v '^$' "$builddir/fuzz/targets.txt" || true)
fi
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no harness can be built yet" >&2; exit 1; }
nice -n "$niceness" cmake --build "$builddir" -j2 --target "${targets[@]}"

run_one() {
  local t=$1 seeds=tests/fuzz/corpus/$1
  local corpus=$builddir/corpus/$t artifacts=$builddir/artifacts/$t/ log=$builddir/logs/$t.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  [ -d "$seeds" ] || seeds=""
  # Inputs may claim huge grids: the limits make an allocation of gigabytes a finding.
  nice -n "$niceness" "$builddir/fuzz/$t" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$corpus" $seeds >"$log" 2>&1 || true
}

stamp=$builddir/logs/.started
mkdir -p "$builddir/logs" && touch "$stamp"
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
done
wait

status=0
printf '%-22s %12s %10s  %s\n' target executions corpus new-findings
for t in "${targets[@]}"; do
  log=$builddir/logs/$t.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  units=$(find "$builddir/corpus/$t" -type f | wc -l)
  found=$(find "$builddir/artifacts/$t" -type f -newer "$stamp" | wc -l)
  printf '%-22s %12s %10s  %s\n' "$t" "${execs:-?}" "$units" "$found"
  if [ "$found" -gt 0 ] || grep -q '^==[0-9]*==ERROR\|^SUMMARY: ' "$log"; then
    status=1
    echo "  see $log and $builddir/artifacts/$t/" >&2
  fi
done
exit $status
