#include "platform/standard_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

OutputKind OpenStandardOutput() {
  // A reader that went away must turn a write into a failure with EPIPE,
  // not kill the process before it can end with its own status.
  std::signal(SIGPIPE, SIG_IGN);

  struct stat status;
  if (fstat(STDOUT_FILENO, &status) != 0) return OutputKind::Unavailable;
  return S_ISCHR(status.st_mode) ? OutputKind::CharacterDevice
                                 : OutputKind::Other;
}

std::int32_t WriteStandardOutput(const char* bytes, std::size_t count) {
  // A short write (a signal, a nearly full pipe) is continued, so that a line
  // never reaches its reader cut.
  while (count > 0) {
    const ssize_t written = write(STDOUT_FILENO, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return 0;
}
