#!/usr/bin/env bash
# Installation as users do it: `make install` into a temporary prefix (and
# with DESTDIR), the installed programs and manual page checked; then the
# Debian package from `make package`, installed with dpkg -i, run, and removed
# with dpkg -r, leaving nothing behind. Quiet on success.
# Uses the build directory that `make test` made (BUILD_DIR, default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

build=${BUILD_DIR:-build}
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

fail() {
  echo "install-package: $*" >&2
  exit 1
}

# Runs a command with its output kept aside, shown only when it fails.
quietly() {
  if ! "$@" >"$work/log" 2>&1; then
    cat "$work/log" >&2
    fail "failed: $*"
  fi
}

# What the checks need: groff to check the manual page, man to find it,
# python3 for the README's Python example (tests skip it without).
need=()
command -v groff >/dev/null || need+=(groff-base)
command -v man >/dev/null || need+=(man-db)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  quietly apt-get update -q
  quietly apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The manual page renders without a single warning.
warnings=$(groff -man -ww -z doc/phm210.1 2>&1)
[ -z "$warnings" ] || fail "groff warns about doc/phm210.1: $warnings"

# The README's examples, now that python3 is surely here.
quietly bash tests/trace/readme_examples_test.sh README.md "$build"

# Checks an installed phm210 and phm210-sim: a fixed line, then a reading
# from the installed simulator.
check_programs() {
  local bin=$1 device
  "$bin/phm210" titre >"$work/output" || fail "$bin/phm210 titre failed"
  printf 'PHM210 en Com2:\r\n' | cmp -s - "$work/output" ||
    fail "$bin/phm210 titre printed: $(od -An -c "$work/output")"
  "$bin/phm210-sim" --ph 7.01 >"$work/device" &
  simulator_pid=$!
  for _ in $(seq 100); do [ -s "$work/device" ] && break; sleep 0.05; done
  device=$(head -n 1 "$work/device")
  COM2_DEVICE=$device LC_ALL=C "$bin/phm210" ead 0 >"$work/output" ||
    fail "$bin/phm210 ead 0 failed"
  kill "$simulator_pid"
  wait "$simulator_pid" 2>/dev/null || true
  simulator_pid=
  printf '7.00999999999999979\r\n' | cmp -s - "$work/output" ||
    fail "$bin/phm210 ead 0 against $bin/phm210-sim printed: $(od -An -c "$work/output")"
}

rendered=false
grep -q '^PHM210_GROFF:FILEPATH=/' "$build/CMakeCache.txt" && rendered=true

# make install into a prefix.
prefix=$work/prefix
quietly make install BUILD_DIR="$build" PREFIX="$prefix"
for file in bin/phm210 bin/phm210-sim; do
  [ -x "$prefix/$file" ] || fail "make install: no $file"
done
cmp -s doc/phm210.1 "$prefix/share/man/man1/phm210.1" ||
  fail "make install: share/man/man1/phm210.1 is not doc/phm210.1"
cmp -s README.md "$prefix/share/doc/phm210/README.md" ||
  fail "make install: no share/doc/phm210/README.md"
if $rendered; then
  grep -q 'PHM210_TRACE' "$prefix/share/doc/phm210/phm210.txt" ||
    fail "make install: no rendered share/doc/phm210/phm210.txt"
fi
[ "$(man -M "$prefix/share/man" -w phm210)" = "$prefix/share/man/man1/phm210.1" ] ||
  fail "man does not find phm210(1) under $prefix/share/man"
page=$(MANWIDTH=80 man -M "$prefix/share/man" phm210 2>&1)
for heading in COMMANDS "EXIT STATUS" ENVIRONMENT EXAMPLES; do
  grep -q "^$heading" <<<"$page" || fail "man phm210 has no $heading"
done
check_programs "$prefix/bin"

# DESTDIR puts the whole tree under another root.
quietly env DESTDIR="$work/root" make install BUILD_DIR="$build" PREFIX=/usr
[ -x "$work/root/usr/bin/phm210" ] || fail "DESTDIR was not honoured"

# The Debian package.
quietly make package BUILD_DIR="$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$(ls "$build"/phm210_"$version"_*.deb)
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/phm210 ./usr/bin/phm210-sim ./usr/share/man/man1/phm210.1; do
  grep -q " $file\$" <<<"$contents" || fail "$deb lacks $file"
done

# dpkg -i and dpkg -r on this machine. Two CI runs at once take turns; a
# phm210 in /usr that no package brought is not overwritten.
exec 9>/tmp/phm210-package-check.lock
flock -w 600 9 || fail "another package check held the lock for 10 minutes"
if [ -e /usr/bin/phm210 ] && ! dpkg -S /usr/bin/phm210 >/dev/null 2>&1; then
  echo "install-package: /usr/bin/phm210 exists outside any package; dpkg -i/-r not checked" >&2
  exit 0
fi

# dpkg waits for no one: retry while apt or dpkg of another job holds its lock.
dpkg_retrying() {
  local try
  for try in $(seq 60); do
    if "$@" >"$work/log" 2>&1; then return 0; fi
    grep -qi 'lock' "$work/log" || break
    sleep 5
  done
  cat "$work/log" >&2
  fail "failed: $*"
}

dpkg_retrying dpkg -i "$deb"
[ "$(dpkg-query -W -f '${Status}' phm210)" = "install ok installed" ] ||
  fail "dpkg -i: phm210 is not installed"
check_programs /usr/bin
[ "$(man -w phm210)" = /usr/share/man/man1/phm210.1 ] ||
  fail "dpkg -i: man does not find phm210(1)"
installed=$(dpkg -L phm210)

dpkg_retrying dpkg -r phm210
if dpkg-query -W -f '${Status}' phm210 2>/dev/null | grep -q installed; then
  fail "dpkg -r: phm210 is still installed"
fi
while read -r path; do
  if [ -f "$path" ]; then fail "dpkg -r left $path behind"; fi
done <<<"$installed"
[ ! -e /usr/share/doc/phm210 ] || fail "dpkg -r left /usr/share/doc/phm210 behind"
exit 0
