#!/usr/bin/env bash
# Runs the program against the simulated meter: a few readings from a meter
# that answers, then one from a meter that stays silent.
#
# Usage: tools/demo.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
  fi
}
trap stop_sim EXIT

start_sim() {
  stop_sim
  local output
  output=$(mktemp)
  "$build/phm210-sim" "$@" >"$output" &
  sim_pid=$!
  for _ in $(seq 200); do
    [ -s "$output" ] && break
    sleep 0.01
  done
  device=$(head -n 1 "$output")
  rm -f "$output"
  echo "simulated meter $* on $device"
}

run() {
  local output status=0
  output=$(COM2_DEVICE="$device" "$build/phm210" "$@" | tr -d '\r';
           exit "${PIPESTATUS[0]}") || status=$?
  printf '  $ phm210 %-8s -> %s   (exit status %d)\n' "$*" "$output" "$status"
}

start_sim --ph 7.01 --mv -123 --temp 25
run ead 0
run ead 1
run ead 2
run ea 0
run nea 0
run titre

start_sim --silent
echo "  (waits one second for the reply that does not come)"
run ead 0
