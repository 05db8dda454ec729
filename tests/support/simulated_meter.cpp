#include "simulated_meter.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "run_program.h"

namespace {

// Generous: a loaded machine or an emulator may start the simulator slowly.
constexpr int kStartLimitMs = 20000;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("SimulatedMeter: " + what + ": " +
                           std::strerror(errno));
}

// The simulator always runs natively, even when the program under test runs
// under an emulator or Wine; PHM210_SIM names another build of it.
std::string SimulatorPath() {
  const char* path = std::getenv("PHM210_SIM");
  return path != nullptr && *path != '\0' ? path : BuiltProgram("phm210-sim");
}

}  // namespace

SimulatedMeter::SimulatedMeter(const std::vector<std::string>& options) {
  char logName[] = "/tmp/phm210-sim-log-XXXXXX";
  const int logFile = mkstemp(logName);
  if (logFile < 0) Fail("mkstemp");
  close(logFile);
  logPath_ = logName;

  std::vector<std::string> argv = {SimulatorPath()};
  argv.push_back("--log");
  argv.push_back(logPath_);
  argv.insert(argv.end(), options.begin(), options.end());

  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) Fail("pipe");
  pid_ = fork();
  if (pid_ < 0) Fail("fork");
  if (pid_ == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (auto& word : argv) args.push_back(word.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(output[1]);

  // The first line of its output is the terminal's path.
  std::string line;
  for (;;) {
    pollfd readable{output[0], POLLIN, 0};
    if (poll(&readable, 1, kStartLimitMs) <= 0) break;
    char byte;
    if (read(output[0], &byte, 1) != 1 || byte == '\n') break;
    line.push_back(byte);
  }
  close(output[0]);
  if (line.empty()) {
    EndWith(SIGKILL);
    errno = 0;
    Fail("no device path from " + SimulatorPath());
  }
  devicePath_ = line;
}

SimulatedMeter::~SimulatedMeter() {
  Stop();
  unlink(logPath_.c_str());
}

std::string SimulatedMeter::Log() const {
  std::ifstream file(logPath_, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void SimulatedMeter::Stop() { EndWith(SIGTERM); }

void SimulatedMeter::Kill() { EndWith(SIGKILL); }

void SimulatedMeter::EndWith(int signal) {
  if (pid_ <= 0) return;
  kill(pid_, signal);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}
