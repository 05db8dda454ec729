#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: fuzz/run.sh BUILD_DIR SECONDS.
# Each target starts from its seeds in fuzz/corpus/<target>/ (never written
# to) and keeps what it learns in BUILD_DIR/fuzz-corpus/<target>/. A broken
# property or a sanitizer report stops that target; the input is left in
# BUILD_DIR/fuzz-artifacts/ and the script ends with status 1 after the
# remaining targets have run.
set -uo pipefail
build_dir=${1:?build directory}
seconds=${2:-60}
max_len=${FUZZ_MAX_LEN:-10000}
here=$(cd "$(dirname "$0")" && pwd)
targets=(parse_argument_fuzzer parse_reading_fuzzer format_real_fuzzer
         command_line_scanner_fuzzer reply_cutting_fuzzer meter_query_fuzzer)

mkdir -p "$build_dir/fuzz-artifacts"
failed=()
for target in "${targets[@]}"; do
  corpus="$build_dir/fuzz-corpus/$target"
  log="$build_dir/fuzz-artifacts/$target.log"
  mkdir -p "$corpus"
  if "$build_dir/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
      -print_final_stats=1 -artifact_prefix="$build_dir/fuzz-artifacts/$target-" \
      "$corpus" "$here/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} inputs in ${seconds} s, no finding"
  else
    echo "$target: FINDING (log: $log)"
    grep -A3 -E 'PROPERTY VIOLATED|ERROR: (AddressSanitizer|libFuzzer|UndefinedBehaviorSanitizer)|runtime error' "$log" | head -20
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ]
