#pragma once
// A pseudo-terminal that a test plays the meter on: the test writes the
// meter's bytes into the master side and reads what the driver sent from it.
// A descriptor of the device side stays open in the test, as the simulator
// keeps one, so that the master sees no hang-up between openings.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      throw std::runtime_error("posix_openpt failed");
    }
    path_ = ptsname(master_);
    device_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device_ < 0) throw std::runtime_error("cannot open " + path_);
    termios settings;
    tcgetattr(device_, &settings);
    cfmakeraw(&settings);
    tcsetattr(device_, TCSANOW, &settings);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() { HangUp(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& Path() const { return path_; }

  // The test's own descriptor of the device side, for looking at its
  // settings and its input queue.
  int Device() const { return device_; }

  // Sends bytes as the meter.
  void Write(std::string_view bytes) const {
    while (!bytes.empty()) {
      const ssize_t written = write(master_, bytes.data(), bytes.size());
      if (written > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(written));
      } else if (errno != EINTR && errno != EAGAIN) {
        throw std::runtime_error("write to pseudo-terminal failed");
      }
    }
  }

  // What the driver sent, collected until `wanted` bytes came or `limit`
  // passed.
  std::string Read(std::size_t wanted, std::chrono::milliseconds limit) const {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < wanted) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd readable{master_, POLLIN, 0};
      if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[256];
      const ssize_t count = read(master_, chunk, sizeof chunk);
      if (count > 0) bytes.append(chunk, static_cast<std::size_t>(count));
    }
    return bytes;
  }

  // Bytes waiting on the device side, not yet read by anyone.
  int DeviceInputCount() const {
    int count = -1;
    ioctl(device_, FIONREAD, &count);
    return count;
  }

  // The line goes away, as when the meter is unplugged.
  void HangUp() {
    if (master_ >= 0) close(master_);
    if (device_ >= 0) close(device_);
    master_ = device_ = -1;
  }

 private:
  int master_ = -1;
  int device_ = -1;
  std::string path_;
};
