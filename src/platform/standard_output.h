#pragma once
// Seam: the process's standard output, as a raw byte sink.

#include <cstddef>
#include <cstdint>

enum class OutputKind {
  Unavailable,      // no usable standard output (absent, closed, unknown kind)
  CharacterDevice,  // a terminal or another character device
  Other             // a file, a pipe, a socket
};

// Looks at standard output once. On POSIX this also stops a vanished pipe
// reader from killing the process: such a write fails instead.
OutputKind OpenStandardOutput();

// Hands all `count` bytes to standard output. Returns 0, or the operating
// system's error code of the failed write.
std::int32_t WriteStandardOutput(const char* bytes, std::size_t count);
