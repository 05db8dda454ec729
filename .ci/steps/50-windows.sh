#!/usr/bin/env bash
# The Windows programs: cross-builds both with mingw-w64, checks them, and runs
# the end-to-end suite against the x86-64 one under Wine. Quiet on success;
# on failure the whole log is shown.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v objdump >/dev/null || need+=(binutils)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! make windows test-windows >"$log" 2>&1; then
  cat "$log"
  echo "windows: make windows test-windows failed" >&2
  exit 1
fi
