#include "platform/serial_device.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/posix/serial_posix.h"
#include "platform/tick_clock.h"
#include "platform/trace_output.h"

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

// The variable that the last port name was looked up in, for the trace.
std::string lookedUpVariable;

const char* EnvironmentValue(const char* name) {
  lookedUpVariable = name;
  return std::getenv(name);
}

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
// exclusive mode keeps out other programs that do not lock. `error` tells why
// an attempt failed.
OpenAttempt TryOpenExclusive(const std::string& path, int& descriptor,
                             int& error) {
  descriptor = open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    error = errno;
    // EBUSY: another program holds the terminal in exclusive mode.
    return (error == EBUSY || error == EINTR) ? OpenAttempt::Held
                                              : OpenAttempt::Failed;
  }
  descriptor = MoveAboveStandardStreams(descriptor);
  if (descriptor < 0) {
    error = errno;
    return OpenAttempt::Failed;
  }
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0 &&
      (errno == EWOULDBLOCK || errno == EINTR)) {
    error = errno;
    close(descriptor);
    descriptor = -1;
    return OpenAttempt::Held;
  }
  ioctl(descriptor, TIOCEXCL);
  return OpenAttempt::Opened;
}

const char* ErrorText(int error) { return std::strerror(error); }

// Which device a port name became, and why: a user who set the variable in
// the wrong shell sees it here.
void TraceDevicePath(const char* portName, const std::string& path) {
  if (lookedUpVariable.empty()) {
    TraceLine("port %s is a path, opened as it is",
              TraceQuoted(portName).c_str());
  } else {
    const char* value = std::getenv(lookedUpVariable.c_str());
    const std::string why = value == nullptr ? lookedUpVariable + " is not set"
                            : value[0] == '\0' ? lookedUpVariable + " is empty"
                                               : "from " + lookedUpVariable;
    TraceLine("port %s is %s (%s)", TraceQuoted(portName).c_str(), path.c_str(),
              why.c_str());
  }
  // A stable name such as /dev/serial/by-id/... is a link to the device that
  // the adapter got this time.
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    if (path != resolved) TraceLine("%s leads to %s", path.c_str(), resolved);
    std::free(resolved);
  }
}

std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISDIR(mode) ? "d" : "-";
  const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                         S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (std::size_t i = 0; i < std::size(bits); ++i) {
    text += (mode & bits[i]) ? "rwx"[i % 3] : '-';
  }
  return text;
}

std::string UserName(uid_t user) {
  const passwd* entry = getpwuid(user);
  return entry != nullptr ? entry->pw_name : std::to_string(user);
}

// Whether /etc/group (or its like) lists `user` in the group, as a login
// would give it.
bool ListedInGroup(const std::string& user, gid_t primaryGroup, gid_t group) {
  int count = 64;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  if (getgrouplist(user.c_str(), primaryGroup, groups.data(), &count) < 0) {
    groups.resize(static_cast<std::size_t>(count));
    if (getgrouplist(user.c_str(), primaryGroup, groups.data(), &count) < 0) {
      return false;
    }
  }
  groups.resize(static_cast<std::size_t>(count));
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether this process has the group now.
bool RunHasGroup(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int filled = getgroups(count, groups.data());
  if (filled < 0) return false;
  groups.resize(static_cast<std::size_t>(filled));
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Who may open the device, and the usual remedy: on most systems serial
// devices belong to a group (dialout) whose members may read and write them.
void TracePermissionAdvice(const std::string& path) {
  struct stat device;
  if (stat(path.c_str(), &device) != 0) {
    TraceLine(
        "its owner cannot be looked at either (%s): a directory on the "
        "way to it may be closed to this user",
        ErrorText(errno));
    return;
  }
  const group* groupEntry = getgrgid(device.st_gid);
  const std::string groupName = groupEntry != nullptr
                                    ? groupEntry->gr_name
                                    : std::to_string(device.st_gid);
  const uid_t user = geteuid();
  const std::string userName = UserName(user);
  TraceLine("%s belongs to user %s and group %s, mode %s; this run is user %s",
            path.c_str(), UserName(device.st_uid).c_str(), groupName.c_str(),
            ModeText(device.st_mode).c_str(), userName.c_str());
  const mode_t readWrite = S_IRGRP | S_IWGRP;
  if ((device.st_mode & readWrite) != readWrite) {
    TraceLine(
        "group %s may not read and write it either: the usual remedy is "
        "a udev rule that gives the device to a group such as dialout "
        "with mode 0660 (ask the administrator)",
        groupName.c_str());
    return;
  }
  if (RunHasGroup(device.st_gid)) {
    TraceLine(
        "this run has group %s and is still refused: an access-control "
        "list or a security module stands in the way (ask the "
        "administrator)",
        groupName.c_str());
    return;
  }
  const passwd* userEntry = getpwuid(user);
  if (userEntry != nullptr &&
      ListedInGroup(userName, userEntry->pw_gid, device.st_gid)) {
    TraceLine(
        "user %s is in group %s, but this login session does not have "
        "it yet: log out and in again (or start a shell with: newgrp "
        "%s)",
        userName.c_str(), groupName.c_str(), groupName.c_str());
    return;
  }
  TraceLine(
      "the usual remedy: add user %s to group %s (sudo usermod -aG %s "
      "%s), then log out and in again",
      userName.c_str(), groupName.c_str(), groupName.c_str(), userName.c_str());
}

void TraceOpenFailure(const std::string& path, int error) {
  TraceLine("open %s: failed: %s (errno %d)", path.c_str(), ErrorText(error),
            error);
  switch (error) {
    case ENOENT:
      TraceLine(
          "no such device: the adapter is not plugged in, or the name "
          "is wrong; ls -l /dev/serial/by-id/ lists the serial adapters "
          "present");
      break;
    case EACCES:
    case EPERM:
      TracePermissionAdvice(path);
      break;
    case ENXIO:
    case ENODEV:
    case EIO:
      TraceLine(
          "the device name exists but no port answers behind it: a port "
          "that the machine does not have, or an adapter that went away");
      break;
    default:
      break;
  }
  TraceLine(
      "without a port no bytes arrive: the reply will be empty after "
      "the time limit");
}

// USB serial adapters hold received bytes for up to 16 ms before passing
// them on; the low-latency mode passes them on at once. A device without the
// mode (a pseudo-terminal) refuses the request, which changes nothing else.
void RequestLowLatency(int descriptor) {
#if defined(TIOCGSERIAL) && defined(TIOCSSERIAL) && defined(ASYNC_LOW_LATENCY)
  serial_struct serial;
  std::memset(&serial, 0, sizeof serial);
  if (ioctl(descriptor, TIOCGSERIAL, &serial) != 0) {
    TraceLine("low latency: not offered by this device (%s); going on without",
              ErrorText(errno));
    return;
  }
  if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
    TraceLine("low latency: already on");
    return;
  }
  serial.flags |= ASYNC_LOW_LATENCY;
  if (ioctl(descriptor, TIOCSSERIAL, &serial) != 0) {
    TraceLine("low latency: refused (%s); going on without", ErrorText(errno));
    return;
  }
  TraceLine("low latency: on");
#else
  (void)descriptor;
  TraceLine("low latency: this system has no such request; going on without");
#endif
}

const char* ParityName(tcflag_t flags) {
  if ((flags & PARENB) == 0) return "none";
#ifdef CMSPAR
  if ((flags & CMSPAR) != 0) return (flags & PARODD) ? "mark" : "space";
#endif
  return (flags & PARODD) ? "odd" : "even";
}

// What the device took, read back from it: a driver may keep a setting that
// it cannot do without saying so.
void TraceLineNow(int descriptor) {
  termios now;
  if (tcgetattr(descriptor, &now) != 0) return;
  const speed_t speed = cfgetospeed(&now);
  const auto* found = std::find_if(
      std::begin(kSpeeds), std::end(kSpeeds),
      [&](const SpeedConstant& known) { return known.constant == speed; });
  const tcflag_t size = now.c_cflag & CSIZE;
  const int dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
  const char* stopBits = (now.c_cflag & CSTOPB) == 0 ? "1"
                         : dataBits == 5             ? "1.5"
                                                     : "2";
  TraceLine(
      "the line now runs at %u baud, %d data bits, parity %s, %s stop bit%s",
      found != std::end(kSpeeds) ? found->bitsPerSecond : 0u, dataBits,
      ParityName(now.c_cflag), stopBits,
      (now.c_cflag & CSTOPB) == 0 ? "" : "s");
}

void MarkLost(SerialDevice& device, const char* why) {
  if (!device.lost) TraceLine("the device went away: %s", why);
  device.lost = true;
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
  lookedUpVariable.clear();
  const std::string path = DevicePathForPortName(portName, EnvironmentValue);
  if (TraceEnabled()) TraceDevicePath(portName, path);
  const std::uint32_t start = TickCount();
  int descriptor = -1;
  int error = 0;
  bool held = false;
  for (;;) {
    const OpenAttempt attempt = TryOpenExclusive(path, descriptor, error);
    if (attempt == OpenAttempt::Opened) break;
    if (attempt == OpenAttempt::Failed) {
      if (TraceEnabled()) TraceOpenFailure(path, error);
      return {};
    }
    if (!held) {
      TraceLine("%s is held by %s; waiting up to %u ms for it", path.c_str(),
                error == EBUSY ? "another program (busy)"
                               : "another run of phm210 (locked)",
                static_cast<unsigned>(holderWaitMs));
      held = true;
    }
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= holderWaitMs) {
      TraceLine(
          "still held after %u ms: giving up; the reply will be empty "
          "after the time limit",
          static_cast<unsigned>(elapsed));
      return {};
    }
    Pause(std::min(kRetryPauseMs, holderWaitMs - elapsed));
  }
  if (held) {
    TraceLine("open %s: done after %u ms of waiting", path.c_str(),
              static_cast<unsigned>(TickCount() - start));
  } else {
    TraceLine("open %s: done", path.c_str());
  }
  RequestLowLatency(descriptor);
  // Only now that the port is ours: what an earlier user left unread must not
  // be taken for this run's reply.
  tcflush(descriptor, TCIFLUSH);
  termios settings;
  if (tcgetattr(descriptor, &settings) == 0) {
    MakeLineRaw(settings);
    tcsetattr(descriptor, TCSANOW, &settings);
  } else {
    TraceLine("%s is not a terminal (%s): it takes no line settings",
              path.c_str(), ErrorText(errno));
  }
  return SerialDevice{descriptor, false};
}

bool ApplyLineSettings(SerialDevice& device, const LineSettings& settings) {
  if (!IsOpen(device)) return false;
  termios current;
  if (tcgetattr(Descriptor(device), &current) != 0) return false;
  if (!ApplyLineSettingsToTermios(current, settings)) {
    TraceLine("the line settings have no termios form on this system");
    return false;
  }
  if (tcsetattr(Descriptor(device), TCSANOW, &current) != 0) {
    TraceLine("the device refused the line settings: %s", ErrorText(errno));
    return false;
  }
  if (TraceEnabled()) TraceLineNow(Descriptor(device));
  return true;
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
      MarkLost(device, ErrorText(errno));
      break;
    }
    // The output queue is full: wait for room, within the time limit.
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= timeoutMs) break;
    pollfd room{Descriptor(device), POLLOUT, 0};
    if (poll(&room, 1, PollTimeout(timeoutMs - elapsed)) > 0 &&
        (room.revents & POLLOUT) == 0) {
      MarkLost(device, "hang-up or error while sending");
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
    MarkLost(device, result == 0 ? "end of file (hang-up)" : ErrorText(errno));
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
  MarkLost(device, "woken with nothing to read (hang-up or error)");
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
