#!/usr/bin/env bash
# What a reading costs beyond the wire: the wall time of `phm210 ead 0`
# against a simulated meter that paces its reply at 9600 baud, and the CPU
# time of a run that waits out a silent meter.
# Usage: bench/reading_time.sh [BUILD_DIR]   (BUILD_DIR needs phm210 and phm210-sim)
set -euo pipefail

build=${1:-build}
program="$build/phm210"
simulator="$build/phm210-sim"
[ -x "$program" ] && [ -x "$simulator" ] || { echo "reading_time: build $build first" >&2; exit 1; }
runs=${RUNS:-20}

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_meter() {  # start_meter NAME OPTIONS... ; sets the device path in $work/NAME
  "$simulator" "${@:2}" >"$work/$1" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/$1" ] && break; sleep 0.02; done
}

start_meter paced --ph 7.01 --pace
start_meter silent --silent
paced=$(head -n 1 "$work/paced")
silent=$(head -n 1 "$work/silent")

TIMEFORMAT='%R %U %S'
# 7 query bytes out and 10 reply bytes ("pH:  7.01" and CR) back, 10 bits each.
wire_ms=$(awk 'BEGIN { printf "%.1f", (7 + 10) * 10 * 1000 / 9600 }')
reply_wire_ms=$(awk 'BEGIN { printf "%.1f", 10 * 10 * 1000 / 9600 }')

total=0
for _ in $(seq "$runs"); do
  t=$( { time COM2_DEVICE="$paced" "$program" ead 0 >/dev/null; } 2>&1 )
  total=$(awk -v a="$total" -v b="${t%% *}" 'BEGIN { print a + b }')
done
mean_ms=$(awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.1f", t / n * 1000 }')

# The same number of runs that never touch the port: the cost of starting a
# process, which any command-line tool pays.
baseline=0
for _ in $(seq "$runs"); do
  t=$( { time "$program" titre >/dev/null; } 2>&1 )
  baseline=$(awk -v a="$baseline" -v b="${t%% *}" 'BEGIN { print a + b }')
done
baseline_ms=$(awk -v t="$baseline" -v n="$runs" 'BEGIN { printf "%.1f", t / n * 1000 }')

t=$( { time COM2_DEVICE="$silent" "$program" ead 0 >/dev/null; } 2>&1 )
read -r wall user sys <<<"$t"

echo "phm210 ead 0 at 9600 baud: ${mean_ms} ms wall on average over $runs runs"
echo "  wire time of the reply alone: ${reply_wire_ms} ms (query and reply on a real line: ${wire_ms} ms)"
echo "  phm210 titre (start-up and exit, no port): ${baseline_ms} ms"
echo "silent meter: ${wall} s wall, ${user} s user + ${sys} s system CPU"
