#include "platform/last_chance.h"

#include <windows.h>

namespace {

// Customer exception code (bit 29 set) for a failure of this program.
constexpr DWORD kFailureExceptionCode = 0xE0504800;

}  // namespace

// Only a debugger is asked. The system's own last-chance handling, asked when
// no debugger is attached, may put up an error-reporting window and leave an
// unattended calling program waiting for a click instead of reading the
// report.
void OfferFailureToDebugger(std::uint32_t location) {
  if (!IsDebuggerPresent()) return;
  const ULONG_PTR arguments[] = {location};
  RaiseException(kFailureExceptionCode, EXCEPTION_NONCONTINUABLE, 1, arguments);
}
