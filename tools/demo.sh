#!/usr/bin/env bash
# Runs phm210 against the simulated meter and shows what each run printed.
# Usage: tools/demo.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
program="$build/phm210"
simulator="$build/phm210-sim"
for needed in "$program" "$simulator"; do
  [ -x "$needed" ] || { echo "demo: $needed is missing; run make first" >&2; exit 1; }
done

work=$(mktemp -d)
simulator_pid=
stop() {
  [ -n "$simulator_pid" ] && kill "$simulator_pid" 2>/dev/null && wait "$simulator_pid" 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

"$simulator" --ph 7.01 --mv -123 --temp 25 >"$work/device" &
simulator_pid=$!
for _ in $(seq 50); do [ -s "$work/device" ] && break; sleep 0.05; done
device=$(head -n 1 "$work/device")
echo "Simulated meter on $device (pH 7.01, -123 mV, 25 °C)"
echo

# Shows one run: its command line, its output as text (Windows-1252 decoded,
# line end dropped) and its exit status.
show() {
  local output status
  set +e
  output=$(COM2_DEVICE="$1" "$program" "${@:2}" | iconv -f CP1252 -t UTF-8 | tr -d '\r')
  status=${PIPESTATUS[0]}
  set -e
  printf '  $ phm210 %-12s -> %-24s (exit %d)\n' "${*:2}" "$output" "$status"
}

echo "Title and description:"
show "$device" titre
show "$device" detail
echo
for channel in 0 1 2; do
  echo "Channel $channel:"
  show "$device" ead "$channel"
  show "$device" nead "$channel"
  show "$device" ea "$channel"
  show "$device" nea "$channel"
done
echo
echo "A failure report (a channel that is not a number):"
show "$device" ea abc
echo
echo "No meter answering (waits out the one-second limit):"
show /nonexistent/serial-port ead 0
