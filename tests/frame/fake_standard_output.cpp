#include "fake_standard_output.h"

FakeStandardOutput fakeStandardOutput;

OutputKind OpenStandardOutput() {
  ++fakeStandardOutput.openCalls;
  return fakeStandardOutput.kind;
}

std::int32_t WriteStandardOutput(const char* bytes, std::size_t count) {
  if (fakeStandardOutput.failWith != 0) return fakeStandardOutput.failWith;
  fakeStandardOutput.handOvers.emplace_back(bytes, count);
  return 0;
}
