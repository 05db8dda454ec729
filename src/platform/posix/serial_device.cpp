#include "platform/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/posix/serial_posix.h"
#include "platform/tick_clock.h"

namespace {

// Pause between two attempts to open a port that another process holds:
// short against the one-second reply limit, long enough not to load the
// machine.
constexpr std::uint32_t kRetryPauseMs = 5;

struct SpeedConstant {
  std::uint32_t bitsPerSecond;
  speed_t constant;
};

constexpr SpeedConstant kSpeeds[] = {
    {50, B50},         {75, B75},       {110, B110},     {134, B134},
    {150, B150},       {200, B200},     {300, B300},     {600, B600},
    {1200, B1200},     {1800, B1800},   {2400, B2400},   {4800, B4800},
    {9600, B9600},     {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

const char* EnvironmentValue(const char* name) { return std::getenv(name); }

int Descriptor(const SerialDevice& device) {
  return static_cast<int>(device.handle);
}

int PollTimeout(std::uint32_t milliseconds) {
  return static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX));
}

// Sleeps; a signal may end the sleep early.
void Pause(std::uint32_t milliseconds) {
  timespec duration;
  duration.tv_sec = static_cast<time_t>(milliseconds / 1000);
  duration.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  nanosleep(&duration, nullptr);
}

// A descriptor of 0, 1 or 2 would make a later write on standard output go to
// the meter when the program was started with those streams closed.
int MoveAboveStandardStreams(int descriptor) {
  if (descriptor > STDERR_FILENO) return descriptor;
  const int moved = fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(descriptor);
  return moved;
}

enum class OpenAttempt { Opened, Held, Failed };

// One attempt to open `path` for this process alone. O_NONBLOCK keeps a
// missing carrier from blocking the open. The lock keeps out every other run,
// also one by root, whom the terminal's exclusive mode does not stop; the
// exclusive mode keeps out other programs that do not lock.
OpenAttempt TryOpenExclusive(const std::string& path, int& descriptor) {
  descriptor = open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    // EBUSY: another program holds the terminal in exclusive mode.
    return (errno == EBUSY || errno == EINTR) ? OpenAttempt::Held
                                              : OpenAttempt::Failed;
  }
  descriptor = MoveAboveStandardStreams(descriptor);
  if (descriptor < 0) return OpenAttempt::Failed;
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0 &&
      (errno == EWOULDBLOCK || errno == EINTR)) {
    close(descriptor);
    descriptor = -1;
    return OpenAttempt::Held;
  }
  ioctl(descriptor, TIOCEXCL);
  return OpenAttempt::Opened;
}

}  // namespace

void MakeLineRaw(termios& settings) {
  settings.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                             ICRNL | IXON | IXOFF | IXANY);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &=
      ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
}

bool ApplyLineSettingsToTermios(termios& settings, const LineSettings& line) {
  termios changed = settings;
  if (line.baudRate) {
    const auto* found =
        std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                     [&](const SpeedConstant& speed) {
                       return speed.bitsPerSecond == *line.baudRate;
                     });
    if (found == std::end(kSpeeds)) return false;
    cfsetispeed(&changed, found->constant);
    cfsetospeed(&changed, found->constant);
  }
  if (line.parity) {
    changed.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
#ifdef CMSPAR
    changed.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
    switch (*line.parity) {
      case Parity::None:
        break;
      case Parity::Even:
        changed.c_cflag |= PARENB;
        break;
      case Parity::Odd:
        changed.c_cflag |= PARENB | PARODD;
        break;
      case Parity::Mark:
      case Parity::Space:
#ifdef CMSPAR
        // With stick parity, PARODD selects a parity bit that is always 1.
        changed.c_cflag |= PARENB | CMSPAR;
        if (*line.parity == Parity::Mark) changed.c_cflag |= PARODD;
        break;
#else
        return false;
#endif
    }
  }
  if (line.dataBits) {
    tcflag_t size = 0;
    switch (*line.dataBits) {
      case 5:
        size = CS5;
        break;
      case 6:
        size = CS6;
        break;
      case 7:
        size = CS7;
        break;
      case 8:
        size = CS8;
        break;
      default:
        return false;
    }
    changed.c_cflag = (changed.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | size;
  }
  if (line.stopBits) {
    // A UART sends 1.5 stop bits for "two" when characters have 5 data bits,
    // so 1.5 exists only there and 2 only with longer characters.
    const bool fiveDataBits = (changed.c_cflag & CSIZE) == CS5;
    switch (*line.stopBits) {
      case StopBits::One:
        changed.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
        break;
      case StopBits::OneAndHalf:
        if (!fiveDataBits) return false;
        changed.c_cflag |= CSTOPB;
        break;
      case StopBits::Two:
        if (fiveDataBits) return false;
        changed.c_cflag |= CSTOPB;
        break;
    }
  }
  settings = changed;
  return true;
}

SerialDevice OpenSerialDevice(const char* portName,
                              std::uint32_t holderWaitMs) {
  const std::string path = DevicePathForPortName(portName, EnvironmentValue);
  const std::uint32_t start = TickCount();
  int descriptor = -1;
  for (;;) {
    const OpenAttempt attempt = TryOpenExclusive(path, descriptor);
    if (attempt == OpenAttempt::Opened) break;
    if (attempt == OpenAttempt::Failed) return {};
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= holderWaitMs) return {};
    Pause(std::min(kRetryPauseMs, holderWaitMs - elapsed));
  }
  // Only now that the port is ours: what an earlier user left unread must not
  // be taken for this run's reply.
  tcflush(descriptor, TCIFLUSH);
  termios settings;
  if (tcgetattr(descriptor, &settings) == 0) {
    MakeLineRaw(settings);
    tcsetattr(descriptor, TCSANOW, &settings);
  }
  return SerialDevice{descriptor, false};
}

bool ApplyLineSettings(SerialDevice& device, const LineSettings& settings) {
  if (!IsOpen(device)) return false;
  termios current;
  if (tcgetattr(Descriptor(device), &current) != 0) return false;
  if (!ApplyLineSettingsToTermios(current, settings)) return false;
  return tcsetattr(Descriptor(device), TCSANOW, &current) == 0;
}

std::size_t WriteSerialDevice(SerialDevice& device, const char* bytes,
                              std::size_t count, std::uint32_t timeoutMs) {
  if (!IsOpen(device)) return 0;
  const std::uint32_t start = TickCount();
  std::size_t written = 0;
  while (written < count && !device.lost) {
    const ssize_t result =
        write(Descriptor(device), bytes + written, count - written);
    if (result > 0) {
      written += static_cast<std::size_t>(result);
      continue;
    }
    if (result < 0 && errno == EINTR) continue;
    if (result < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      device.lost = true;
      break;
    }
    // The output queue is full: wait for room, within the time limit.
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= timeoutMs) break;
    pollfd room{Descriptor(device), POLLOUT, 0};
    if (poll(&room, 1, PollTimeout(timeoutMs - elapsed)) > 0 &&
        (room.revents & POLLOUT) == 0) {
      device.lost = true;  // hang-up or error instead of room
    }
  }
  return written;
}

std::uint32_t SerialInputCount(SerialDevice& device) {
  if (!IsOpen(device) || device.lost) return 0;
  int count = 0;
  if (ioctl(Descriptor(device), FIONREAD, &count) != 0 || count < 0) return 0;
  return static_cast<std::uint32_t>(count);
}

std::size_t ReadSerialDevice(SerialDevice& device, char* into,
                             std::size_t count) {
  if (!IsOpen(device) || device.lost) return 0;
  for (;;) {
    const ssize_t result = read(Descriptor(device), into, count);
    if (result > 0) return static_cast<std::size_t>(result);
    if (result < 0 && errno == EINTR) continue;
    if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    // End of file or a read error: the device went away.
    device.lost = true;
    return 0;
  }
}

void WaitForSerialInput(SerialDevice& device, std::uint32_t timeoutMs) {
  if (!IsOpen(device) || device.lost) {
    Pause(timeoutMs);
    return;
  }
  pollfd input{Descriptor(device), POLLIN, 0};
  if (poll(&input, 1, PollTimeout(timeoutMs)) <= 0) return;  // time or signal
  if (SerialInputCount(device) > 0) return;
  // Woken with nothing to read: a hang-up or an error, which poll would
  // report again at once on every call from now on.
  device.lost = true;
  Pause(timeoutMs);
}

bool CloseSerialDevice(SerialDevice& device) {
  if (!IsOpen(device)) return false;
  const int descriptor = Descriptor(device);
  // Bytes after the reply line go with the port, as they would on Windows,
  // so that no later run can take them for its own reply.
  tcflush(descriptor, TCIFLUSH);
  // Another process may keep the device open; it must not stay exclusive.
  ioctl(descriptor, TIOCNXCL);
  device = SerialDevice{};
  return close(descriptor) == 0;  // also releases the lock
}
