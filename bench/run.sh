#!/usr/bin/env bash
# Runs every benchmark against one build: the numbers benchmark binary, then
# every other executable bench/*.sh script, each given the build directory.
#
# Usage: bench/run.sh [BUILD_DIR]   (default: build-bench; `make bench`
# configures it in Release with the benchmarks on)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
self=$(basename "$0")

"$build/bench/numbers_bench"

status=0
for script in bench/*.sh; do
  [ "$(basename "$script")" = "$self" ] && continue
  [ -x "$script" ] || continue
  echo
  echo "== $script"
  "$script" "$build" || status=$?
done
exit "$status"
