#include "platform/command_line.h"

namespace {

int argumentCount = 0;
char** arguments = nullptr;

}  // namespace

void CaptureProcessArguments(int argc, char** argv) {
  argumentCount = argc;
  arguments = argv;
}

// POSIX hands the process its arguments already split; each is used whole,
// and since it is only viewed, never copied, no length can overrun anything.
std::string_view RawArgument(int index) {
  if (index < 0 || index >= argumentCount || arguments[index] == nullptr) {
    return {};
  }
  return arguments[index];
}
