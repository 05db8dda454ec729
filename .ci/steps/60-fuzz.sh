#!/usr/bin/env bash
# Each fuzz target for 60 seconds (clang, libFuzzer). Prints one line per
# target; on a finding, the broken property and the input.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

fuzzer_runtime_present() {
  compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null
}
if ! { command -v clang++-14 >/dev/null || command -v clang++ >/dev/null; } ||
    ! fuzzer_runtime_present; then
  apt-get update -q >/dev/null
  apt-get install -y -q clang-14 libclang-rt-14-dev >/dev/null
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! make fuzz-build FUZZ_DIR=build-fuzz >"$log" 2>&1; then
  tail -n 60 "$log"
  exit 1
fi
./fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-60}"
