#!/usr/bin/env bash
# Runs the README's examples for calling programs (shell, Python, C) against
# the simulated meter, then against no meter, and checks what they print.
# Usage: readme_examples_test.sh README.md BUILD_DIR
# Exit 0 when every example that could run printed what it should; the
# Python one is left out, with a note, where python3 is missing.
set -euo pipefail

readme=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
simulator_pid=
cleanup() {
  if [ -n "$simulator_pid" ]; then
    kill "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The fenced block right after the line "<!-- example: NAME -->".
extract() {
  awk -v marker="<!-- example: $1 -->" '
    $0 == marker { found = 1; next }
    found == 1 && /^```/ { found = 2; next }
    found == 2 && /^```/ { exit }
    found == 2 { print }
  ' "$readme"
}

for name in shell python c; do
  extract "$name" >"$work/example.$name"
  [ -s "$work/example.$name" ] || { echo "README has no $name example"; exit 1; }
done

cc -std=c11 -Wall -Wextra -Werror -x c -o "$work/read_ph" "$work/example.c"

have_python=true
command -v python3 >/dev/null || have_python=false

export PATH="$build:$PATH"
"$build/phm210-sim" --ph 7.01 --temp 25 >"$work/device" &
simulator_pid=$!
for _ in $(seq 100); do [ -s "$work/device" ] && break; sleep 0.05; done
meter=$(head -n 1 "$work/device")

failures=0
# check NAME DEVICE EXPECTED COMMAND...: the command's standard output and
# error together must be EXPECTED.
check() {
  local name=$1 device=$2 expected=$3 actual
  shift 3
  actual=$(COM2_DEVICE=$device "$@" 2>&1) || true
  if [ "$actual" != "$expected" ]; then
    echo "FAIL: $name example with COM2_DEVICE=$device"
    echo "  expected: $(printf '%q' "$expected")"
    echo "  actual:   $(printf '%q' "$actual")"
    failures=$((failures + 1))
  fi
}

unit='temperature unit: °C'
none='no reading; run it again with PHM210_TRACE=1 to see why'
# A UTF-8 locale for the shell and Python, so that the degree sign they
# print after decoding comes out as UTF-8 bytes, as on a user's terminal.
utf8=C.UTF-8

check shell "$meter" $'pH 7.00999999999999979\n'"$unit" env LC_ALL=$utf8 bash "$work/example.shell"
check shell /nonexistent/port "$none"$'\n'"$unit" env LC_ALL=$utf8 bash "$work/example.shell"
if $have_python; then
  check python "$meter" $'pH 7.01\n'"$unit" env LC_ALL=$utf8 python3 "$work/example.python"
  check python /nonexistent/port "$none"$'\n'"$unit" env LC_ALL=$utf8 python3 "$work/example.python"
else
  echo "note: python3 is missing; the Python example was not run"
fi
check c "$meter" $'pH 7.01\n'"$unit" "$work/read_ph"
check c /nonexistent/port "$none"$'\n'"$unit" "$work/read_ph"

[ "$failures" -eq 0 ] || exit 1
