#include "main/end_run.h"

#include "main/console.h"
#include "main/failure.h"
#include "platform/process_exit.h"

namespace {

bool runtimeErrorLinePending = false;
char runtimeErrorLine[] = "Runtime error     at 00000000";

// Fills the template in place: the error number right-aligned to byte 17,
// the location as 8 upper-case hexadecimal digits ending at byte 29.
void FillRuntimeErrorLine(int errorNumber, std::uint32_t location) {
  for (int i = 14; i < 17; ++i) runtimeErrorLine[i] = ' ';
  int position = 16;
  do {
    runtimeErrorLine[position--] = static_cast<char>('0' + errorNumber % 10);
    errorNumber /= 10;
  } while (errorNumber != 0 && position >= 14);
  constexpr char kHex[] = "0123456789ABCDEF";
  for (int i = 28; i >= 21; --i) {
    runtimeErrorLine[i] = kHex[location & 0xF];
    location >>= 4;
  }
}

}  // namespace

void SetRuntimeErrorLinePending(int errorNumber, std::uint32_t location) {
  FillRuntimeErrorLine(errorNumber, location);
  runtimeErrorLinePending = true;
}

void EndRun(int status) {
  int exitStatus = status;
  if (runtimeErrorLinePending) {
    WriteText(runtimeErrorLine);
    WriteLineEnd();
  }
  WithdrawFailureReport();
  CloseConsoleOut();
  // A caller must never take a lost result line or report for success.
  if (exitStatus == 0 && ConsoleOutputLost()) exitStatus = 1;
  ExitProcessWithStatus(exitStatus);
}
