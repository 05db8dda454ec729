#include "main/failure.h"

#include <algorithm>
#include <cstring>

#include "main/console.h"
#include "main/end_run.h"
#include "platform/last_chance.h"
#include "platform/module_info.h"

namespace {

// Texts are Windows-1252 bytes: 0xE0 is "à", 0xE9 is "é".
constexpr char kConvertErrorKind[] = "EConvertError";
constexpr char kOverflowKind[] = "EOverflow";
constexpr char kInvalidOpKind[] = "EInvalidOp";
constexpr char kZeroDivideKind[] = "EZeroDivide";
constexpr char kOutOfMemoryKind[] = "EOutOfMemory";

constexpr char kConvertErrorBefore[] = "'";
constexpr char kConvertErrorAfter[] =
    "' n'est pas une valeur en virgule flottante correcte";
constexpr char kOverflowMessage[] =
    "D\xE9"
    "bordement en virgule flottante";
constexpr char kInvalidOpMessage[] =
    "Op\xE9"
    "ration en virgule flottante incorrecte";
constexpr char kZeroDivideMessage[] =
    "Division par z\xE9"
    "ro en virgule flottante";
constexpr char kOutOfMemoryMessage[] =
    "M\xE9"
    "moire insuffisante";

// The only failure that can arise before the report is in force is a lack
// of memory, whose runtime error number is 203.
constexpr int kOutOfMemoryErrorNumber = 203;

bool reportInForce = false;

// Appends `piece` to a zero-terminated text held in `capacity` bytes, cutting
// what does not fit; returns the new length.
std::size_t Append(char* text, std::size_t length, std::size_t capacity,
                   std::string_view piece) {
  const std::size_t room = capacity - 1 - length;
  const std::size_t kept = std::min(piece.size(), room);
  std::memcpy(text + length, piece.data(), kept);
  text[length + kept] = '\0';
  return length + kept;
}

[[noreturn]] void Throw(const char* kindName, std::string_view messagePieces[],
                        std::size_t pieceCount, const void* raiseSite) {
  Failure failure;
  failure.kindName = kindName;
  failure.message[0] = '\0';
  std::size_t length = 0;
  for (std::size_t i = 0; i < pieceCount; ++i) {
    length = Append(failure.message, length, sizeof failure.message,
                    messagePieces[i]);
  }
  failure.location = DistanceFromModuleBase(raiseSite);
  throw failure;
}

[[noreturn]] void ThrowPlain(const char* kindName, const char* message,
                             const void* raiseSite) {
  std::string_view pieces[] = {message};
  Throw(kindName, pieces, 1, raiseSite);
}

// Writes `value` as exactly 8 upper-case hexadecimal digits.
void FormatAddress(std::uint32_t value, char (&digits)[9]) {
  constexpr char kHex[] = "0123456789ABCDEF";
  for (int i = 7; i >= 0; --i) {
    digits[i] = kHex[value & 0xF];
    value >>= 4;
  }
  digits[8] = '\0';
}

}  // namespace

// The raise functions are never inlined, so that the address they return to
// is the raising code's own.
[[gnu::noinline]] void RaiseConvertError(std::string_view argumentText) {
  // The text ends at its first zero byte, like every text the system reads.
  argumentText = argumentText.substr(0, argumentText.find('\0'));
  std::string_view pieces[] = {kConvertErrorBefore, argumentText,
                               kConvertErrorAfter};
  Throw(kConvertErrorKind, pieces, 3, __builtin_return_address(0));
}

[[gnu::noinline]] void RaiseOverflow() {
  ThrowPlain(kOverflowKind, kOverflowMessage, __builtin_return_address(0));
}

[[gnu::noinline]] void RaiseInvalidOp() {
  ThrowPlain(kInvalidOpKind, kInvalidOpMessage, __builtin_return_address(0));
}

[[gnu::noinline]] void RaiseZeroDivide() {
  ThrowPlain(kZeroDivideKind, kZeroDivideMessage, __builtin_return_address(0));
}

[[gnu::noinline]] void RaiseOutOfMemory() {
  ThrowPlain(kOutOfMemoryKind, kOutOfMemoryMessage,
             __builtin_return_address(0));
}

void PutFailureReportInForce() { reportInForce = true; }

void WithdrawFailureReport() { reportInForce = false; }

std::size_t ComposeFailureReport(const Failure& failure,
                                 std::string_view moduleName,
                                 char (&report)[kFailureReportCapacity + 1]) {
  char address[9];
  FormatAddress(failure.location, address);
  const std::string_view message(failure.message);
  const bool needsPeriod = !message.empty() && message.back() != '.';

  const std::string_view pieces[] = {"Exception ",
                                     failure.kindName,
                                     " dans le module ",
                                     moduleName.substr(0, 260),
                                     " \xE0 ",
                                     address,
                                     ".\n",
                                     message,
                                     needsPeriod ? "." : ""};
  report[0] = '\0';
  std::size_t length = 0;
  for (std::string_view piece : pieces) {
    length = Append(report, length, sizeof report, piece);
  }
  return length;
}

void ReportFailure(const Failure& failure) {
  if (!reportInForce) {
    SetRuntimeErrorLinePending(kOutOfMemoryErrorNumber, failure.location);
    EndRun(kOutOfMemoryErrorNumber);
  }
  OfferFailureToDebugger(failure.location);
  // Composed in a fixed area, so that even a lack of memory can be reported.
  static char report[kFailureReportCapacity + 1];
  ComposeFailureReport(failure, ModuleFileName(), report);
  WriteText(report);
  WriteLineEnd();
  // A report that could not be delivered is not retried: the run still ends
  // with status 1, and EndRun sees that its output was lost.
  ClearPendingIoError();
  EndRun(1);
}
