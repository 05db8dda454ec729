#!/usr/bin/env bash
# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (gcc). Quiet on success; the build and test log on failure.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

# gcc's sanitizer run-times come in their own packages.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
if ! echo 'int main() { return 0; }' |
    g++ -fsanitize=address,undefined -x c++ - -o "$probe/probe" 2>/dev/null; then
  apt-get update -q >/dev/null
  apt-get install -y -q libasan8 libubsan1 >/dev/null
fi

log="$probe/sanitize.log"
if ! make test-sanitize >"$log" 2>&1; then
  grep -E -B2 -A30 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error|Failed|\*\*\*' "$log" | tail -n 300
  tail -n 40 "$log"
  echo "sanitizer suite failed" >&2
  exit 1
fi
grep -E 'tests passed' "$log"
