#!/usr/bin/env bash
# Processor time that one exchange uses while it waits for a reply that does
# not come (a silent meter, no port, a line that went away, a port another
# run holds). Waiting must sleep: the time used should be a few milliseconds
# against a wall time of a second or two.
#
# Usage: bench/serial_wait_cpu.sh [BUILD_DIR]   (default: build)
# Needs phm210-sim and phm210-serial-probe in BUILD_DIR; measures
# BUILD_DIR/phm210 too once it exists. Opens no serial port of the machine:
# every run goes to a simulated meter through COM2_DEVICE.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sim="$build/phm210-sim"
probe="$build/phm210-serial-probe"
for program in "$sim" "$probe"; do
  [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done

sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
  fi
}
trap stop_sim EXIT

# Starts the simulator with the given options; sets device to its terminal.
start_sim() {
  stop_sim
  local output
  output=$(mktemp)
  "$sim" "$@" >"$output" &
  sim_pid=$!
  for _ in $(seq 200); do
    [ -s "$output" ] && break
    sleep 0.01
  done
  device=$(head -n 1 "$output")
  rm -f "$output"
}

# Runs a command with COM2_DEVICE set and prints wall time, processor time
# (user + system) and their ratio.
measure() {
  local label=$1 com2=$2
  shift 2
  local times
  times=$( { TIMEFORMAT='%R %U %S'; time COM2_DEVICE="$com2" "$@" >/dev/null; } 2>&1 )
  read -r wall user system <<<"$times"
  awk -v label="$label" -v wall="$wall" -v user="$user" -v sys="$system" \
    'BEGIN { cpu = user + sys;
             printf "%-44s %7.3f s wall %7.3f s cpu %6.2f %%\n",
                    label, wall, cpu, 100 * cpu / wall }'
}

echo "Baseline: starting a run and one exchange with a meter that answers"
start_sim
measure "probe, meter answering at once" "$device" "$probe"
echo
echo "Processor time of one exchange that waits out its time limit (1000 ms)"
start_sim --silent
measure "probe, silent meter" "$device" "$probe"
if [ -x "$build/phm210" ]; then
  measure "phm210 ead 0, silent meter" "$device" "$build/phm210" ead 0
fi

measure "probe, port that cannot be opened" /nonexistent/meter "$probe"

start_sim --hang-up-after 3
measure "probe, line gone mid-reply" "$device" "$probe"

# A second run waits for the first to give the port up (about 1 s), then
# waits out its own time limit.
start_sim --silent
COM2_DEVICE="$device" "$probe" >/dev/null &
holder=$!
sleep 0.05
measure "probe, port held by another run first" "$device" "$probe"
wait "$holder"

echo
echo "For comparison, a reply that streams without end (reading, not waiting)"
start_sim --stream --pace
measure "probe, meter streaming at 9600 baud" "$device" "$probe"
