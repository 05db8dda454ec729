#!/usr/bin/env bash
# The unit and end-to-end tests cross-built for ARM64 and run under
# qemu-aarch64 (make test-arm64). Installs the cross compiler, the emulator
# and GoogleTest's sources when missing. Quiet on success; the log's end on
# failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

need=()
command -v aarch64-linux-gnu-g++ >/dev/null || need+=(g++-aarch64-linux-gnu)
command -v qemu-aarch64 >/dev/null || need+=(qemu-user)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -q >/dev/null
  apt-get install -y -q "${need[@]}" >/dev/null
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! make test-arm64 >"$log" 2>&1; then
  grep -E -A30 '\*\*\*Failed|\*\*\*Timeout|error:' "$log" | tail -n 300
  tail -n 40 "$log"
  echo "ARM64 suite under qemu-aarch64 failed" >&2
  exit 1
fi
grep -E 'tests passed' "$log"
