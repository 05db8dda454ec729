#include "main/console.h"

#include <cstring>

#include "platform/standard_output.h"

namespace {

enum class StreamState { Closed, OpenForOutput };

StreamState state = StreamState::Closed;
bool handOverAtLineEnd = false;  // set for a character device
char buffer[kConsoleBufferBytes];
int fill = 0;
std::int32_t pendingIoError = 0;
bool outputLost = false;

void RecordIoError(std::int32_t code) {
  pendingIoError = code;
  outputLost = true;
}

// The stream is opened by the first write that needs it, so a run that writes
// nothing never touches standard output.
bool EnsureOpen() {
  if (state == StreamState::OpenForOutput) return true;
  const OutputKind kind = OpenStandardOutput();
  if (kind == OutputKind::Unavailable) return false;
  handOverAtLineEnd = kind == OutputKind::CharacterDevice;
  fill = 0;
  state = StreamState::OpenForOutput;
  return true;
}

// The buffer is emptied before the write, so a failed hand-over loses exactly
// its own bytes and later writes start afresh.
bool HandOver() {
  if (fill == 0) return true;
  const int count = fill;
  fill = 0;
  const std::int32_t error = WriteStandardOutput(buffer, count);
  if (error != 0) {
    RecordIoError(error);
    return false;
  }
  return true;
}

void Append(const char* bytes, std::size_t count) {
  if (!EnsureOpen()) {
    RecordIoError(kIoErrorNotOpenForOutput);
    return;
  }
  while (count > 0) {
    const std::size_t room = kConsoleBufferBytes - fill;
    if (count < room) {
      std::memcpy(buffer + fill, bytes, count);
      fill += static_cast<int>(count);
      return;
    }
    // A write that fills the buffer exactly hands it over at once.
    std::memcpy(buffer + fill, bytes, room);
    fill = kConsoleBufferBytes;
    bytes += room;
    count -= room;
    if (!HandOver()) return;  // the rest of this write is dropped
  }
}

}  // namespace

void WriteInteger(std::int32_t value) {
  char digits[11];
  int start = sizeof digits;
  // Works on the magnitude as unsigned, so that -2147483648 needs no special
  // case.
  std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                      : static_cast<std::uint32_t>(value);
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[--start] = '-';
  Append(digits + start, sizeof digits - start);
}

void WriteText(const char* zeroTerminatedText) {
  Append(zeroTerminatedText, std::strlen(zeroTerminatedText));
}

void WriteCountedText(const CountedText& text) {
  Append(text.bytes, text.length);
}

void WriteLineEnd() {
  Append("\r\n", 2);
  if (state == StreamState::Closed) {
    RecordIoError(kIoErrorFileNotOpen);
  } else if (handOverAtLineEnd) {
    HandOver();
  }
}

void CloseConsoleOut() {
  if (state == StreamState::Closed) {
    // Nothing was written, or standard output could not be opened; only the
    // latter has already been recorded as lost output.
    pendingIoError = kIoErrorFileNotOpen;
    return;
  }
  HandOver();
}

std::int32_t PendingIoError() { return pendingIoError; }

void ClearPendingIoError() { pendingIoError = 0; }

bool ConsoleOutputLost() { return outputLost; }
