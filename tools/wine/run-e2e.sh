#!/bin/bash
# Runs the end-to-end suite of the native build TEST_DIR against a Windows
# build of the program under Wine:
#   run-e2e.sh TEST_DIR PROGRAM.exe
# The simulated meter and the tests run natively; each run of the program
# goes through phm210-wine-run. One Wine server is kept alive for the whole
# suite (a run then costs about 0.1 s instead of 1 s) and stopped at the end.
set -euo pipefail
testDir=$(cd "$1" && pwd)
program=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-tools.sh"

export WINEPREFIX="$testDir/wine-prefix" WINEDEBUG=-all
"$here/prepare-prefix.sh" "$WINEPREFIX"

stopServer() { "$PHM210_WINESERVER" -k >/dev/null 2>&1 || true; }
trap stopServer EXIT
stopServer  # a server left over from an interrupted suite
setsid "$PHM210_WINESERVER" -p </dev/null >"$WINEPREFIX/phm210-server.log" 2>&1
# Starts Wine's services (and so the COM2 mapping) before the first test.
"$here/phm210-wine-run" cmd /c exit 0 </dev/null >/dev/null 2>&1

export PHM210_PROGRAM="$program"
export PHM210_LAUNCHER="$here/phm210-wine-run"
export PHM210_UNDER_WINE=1
# The suite runs its cases one after the other, as it must here: every run
# goes through the one COM2 link.
"$testDir/tests/e2e/phm210_test"
