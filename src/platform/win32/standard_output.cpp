#include "platform/standard_output.h"

#include <windows.h>

#include <algorithm>

namespace {

HANDLE standardOutput = INVALID_HANDLE_VALUE;

}  // namespace

OutputKind OpenStandardOutput() {
  const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE) return OutputKind::Unavailable;
  // An absent or invalid handle also has the unknown kind; either way the
  // handle is given back and nothing is ever written to it.
  const DWORD kind = GetFileType(handle);
  if (kind == FILE_TYPE_UNKNOWN) {
    CloseHandle(handle);
    return OutputKind::Unavailable;
  }
  standardOutput = handle;
  return kind == FILE_TYPE_CHAR ? OutputKind::CharacterDevice
                                : OutputKind::Other;
}

std::int32_t WriteStandardOutput(const char* bytes, std::size_t count) {
  // A short write is continued, so that a line never reaches its reader cut;
  // a write that takes nothing at all ends the attempt.
  while (count > 0) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
    DWORD written = 0;
    if (!WriteFile(standardOutput, bytes, chunk, &written, nullptr)) {
      const DWORD error = GetLastError();
      // 0 means success to the caller: a failure must never read as one.
      return error != 0 ? static_cast<std::int32_t>(error) : ERROR_WRITE_FAULT;
    }
    if (written == 0) break;
    bytes += written;
    count -= written;
  }
  return 0;
}
