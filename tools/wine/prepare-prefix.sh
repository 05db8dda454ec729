#!/bin/sh
# Creates the Wine prefix PREFIX for the end-to-end tests on first use:
#   prepare-prefix.sh PREFIX
# Wine's COM2 is mapped through the registry to the fixed link
# PREFIX/phm210-ports/com2, which phm210-wine-run points at the device of
# each run. COM1, which Wine would map to the first kernel serial device
# (the console on some machines), is mapped to nothing.
set -eu
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-tools.sh"
[ -f "$prefix/phm210-ready" ] && exit 0

rm -rf "$prefix"
mkdir -p "$prefix/phm210-ports"
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX="$prefix" WINEDEBUG=-all
log="$prefix/phm210-prepare.log"
link="$prefix/phm210-ports/com2"
ln -sfn /nonexistent/phm210-no-port "$link"
{
  "$PHM210_WINE64" wineboot -i
  "$PHM210_WINE64" reg add 'HKLM\Software\Wine\Ports' /v COM2 /t REG_SZ \
    /d "$link" /f
  "$PHM210_WINE64" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ \
    /d "" /f
  # The server writes the registry out when it ends; Wine's device manager
  # reads the ports from there when the next server starts.
  "$PHM210_WINESERVER" -w
} >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
touch "$prefix/phm210-ready"
