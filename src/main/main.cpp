// Process entry: start-up, the command, and the end of the run.

#include <new>

#include "main/dispatch.h"
#include "main/end_run.h"
#include "main/failure.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
  CaptureProcessArguments(argc, argv);
  StartUp();
  // Failures are not handled below this point: whatever the command raises
  // ends here, reported once, and no result line has been written for it.
  try {
    DispatchCommand();
  } catch (const Failure& failure) {
    ReportFailure(failure);
  } catch (const std::bad_alloc&) {
    try {
      RaiseOutOfMemory();
    } catch (const Failure& failure) {
      ReportFailure(failure);
    }
  }
  EndRun(0);
}
