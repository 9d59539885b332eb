#!/usr/bin/env bash
# Builds the plug-in parsers' libFuzzer targets with clang (a build of its own, beside the g++
# builds) and runs each for a bounded time from the seeds in tests/plugins/fuzz/seeds.
# Usage: scripts/fuzz.sh [seconds per target, default 20] [target ...]; no target: every one built.
# GLINTFETCH_FUZZ_JOBS sets how many targets run at once (half the processors by default).
# A crash, a read past detect's window, or one input running longer than 10 s fails the script;
# the input that did it lands in <build>/fuzz-artifacts, and the fuzzer's log beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
build_dir=${GLINTFETCH_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target plugin_fuzzers -j "$(nproc)" | tail -n 1
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$build_dir"/fuzz-bin/*_fuzzer; do
    name=$(basename "$binary")
    targets+=("${name%_fuzzer}")
  done
fi

artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$artifacts"
# Targets run side by side, a few at a time: each is one process on one core, and run one after
# another they would take most of CI's time once there are many plug-ins.
jobs=${GLINTFETCH_FUZZ_JOBS:-$(( $(nproc) > 1 ? $(nproc) / 2 : 1 ))}

fuzz_one() {
  local target=$1
  local corpus="$build_dir/fuzz-corpus/$target"
  local log="$artifacts/$target.log"
  mkdir -p "$corpus"
  local status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build_dir/fuzz-bin/${target}_fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" \
    "$corpus" $( [ -d "tests/plugins/fuzz/seeds/$target" ] && echo "tests/plugins/fuzz/seeds/$target" ) >"$log" 2>&1 || status=$?
  {
    echo "== fuzzing the $target parser for ${seconds}s =="
    grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)|ERROR|SUMMARY|Test unit written' "$log" || true
    if [ "$status" -ne 0 ]; then echo "the $target fuzzer failed (exit $status); see $log"; fi
  } >"$artifacts/$target.summary"
  return "$status"
}

failed=()
running=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  fuzz_one "$target" &
  running+=("$target")
done
wait || true
for target in "${running[@]}"; do
  cat "$artifacts/$target.summary"
  grep -q "fuzzer failed" "$artifacts/$target.summary" && failed+=("$target")
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed for: ${failed[*]}"
  exit 1
fi
