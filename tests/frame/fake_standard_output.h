#pragma once
// A standard output that records each hand-over, linked into the console's
// unit tests in place of the operating system's.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/standard_output.h"

struct FakeStandardOutput {
  OutputKind kind = OutputKind::Other;
  std::int32_t failWith = 0;  // error code for every write, 0 for success
  int openCalls = 0;
  std::vector<std::string> handOvers;
};

extern FakeStandardOutput fakeStandardOutput;
