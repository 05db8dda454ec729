// A small program built on the process frame alone, so that tests can reach
// the console and failure paths through a real process before, and apart
// from, the commands. Usage: frame_probe ACTION [TEXT]
//   line TEXT          writes TEXT and a line end
//   lines N            writes N lines of 10 digits each
//   nothing            writes nothing
//   convert TEXT       fails as a number that cannot be read
//   overflow           fails with an overflow
//   early-oom          fails for lack of memory before the report is in force
//   arguments          writes ArgumentCount, then each argument on its line

#include <string>
#include <string_view>

#include "main/arguments.h"
#include "main/console.h"
#include "main/end_run.h"
#include "main/failure.h"
#include "platform/command_line.h"

namespace {

void Run() {
  const std::string action(Argument(1));
  const std::string text(Argument(2));
  if (action == "line") {
    WriteText(text.c_str());
    WriteLineEnd();
  } else if (action == "lines") {
    for (int i = 0; i < std::stoi(text); ++i) {
      WriteText("0123456789");
      WriteLineEnd();
    }
  } else if (action == "convert") {
    RaiseConvertError(text);
  } else if (action == "overflow") {
    RaiseOverflow();
  } else if (action == "arguments") {
    WriteInteger(ArgumentCount());
    WriteLineEnd();
    for (int i = 1; i <= ArgumentCount() + 1; ++i) {
      WriteText(std::string(Argument(i)).c_str());
      WriteLineEnd();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  CaptureProcessArguments(argc, argv);
  if (Argument(1) == "early-oom") {
    try {
      RaiseOutOfMemory();
    } catch (const Failure& failure) {
      ReportFailure(failure);
    }
  }
  PutFailureReportInForce();
  try {
    Run();
  } catch (const Failure& failure) {
    ReportFailure(failure);
  }
  EndRun(0);
}
