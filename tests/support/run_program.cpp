#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::vector<std::string> LauncherWords() {
  std::vector<std::string> words;
  const char* launcher = std::getenv("PHM210_LAUNCHER");
  if (launcher == nullptr) return words;
  std::istringstream stream(launcher);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

std::vector<std::string> ChildEnvironment(const RunOptions& options) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool overridden = false;
    for (const auto& [key, value] : options.environment) {
      if (key == name) overridden = true;
    }
    if (!overridden) result.push_back(text);
  }
  for (const auto& [key, value] : options.environment) {
    if (!value.empty()) result.push_back(key + "=" + value);
  }
  return result;
}

void Fail(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// Reads everything from `fd` until end of file (or EIO, which a pseudo-terminal
// master reports once the child has closed its side), while the child runs.
void Drain(int fd, std::string& into) {
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n > 0) {
      into.append(chunk, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // 0, EIO or EAGAIN
  }
}

}  // namespace

std::string BuiltProgram(const std::string& name) {
  return std::string(PHM210_BUILD_DIR) + "/" + name;
}

std::string ProgramUnderTest() {
  const char* path = std::getenv("PHM210_PROGRAM");
  return path != nullptr && *path != '\0' ? path : BuiltProgram("phm210");
}

std::string ProgramFileName() {
  const std::string path = ProgramUnderTest();
  return path.substr(path.find_last_of('/') + 1);
}

RunResult RunProgram(const std::string& program, const RunOptions& options) {
  std::vector<std::string> argv = LauncherWords();
  argv.push_back(program);
  argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
  const std::vector<std::string> envp = ChildEnvironment(options);

  int stdoutRead = -1;   // parent's end
  int stdoutWrite = -1;  // child's fd 1
  std::string filePath;
  switch (options.stdoutKind) {
    case StdoutKind::Pipe:
    case StdoutKind::BrokenPipe: {
      int fds[2];
      if (pipe2(fds, O_CLOEXEC) != 0) Fail("pipe");
      stdoutRead = fds[0];
      stdoutWrite = fds[1];
      if (options.stdoutKind == StdoutKind::BrokenPipe) {
        close(stdoutRead);
        stdoutRead = -1;
      }
      break;
    }
    case StdoutKind::File: {
      char name[] = "/tmp/phm210-stdout-XXXXXX";
      stdoutWrite = mkostemp(name, O_CLOEXEC);
      if (stdoutWrite < 0) Fail("mkostemp");
      filePath = name;
      break;
    }
    case StdoutKind::Terminal: {
      stdoutRead = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (stdoutRead < 0 || grantpt(stdoutRead) != 0 ||
          unlockpt(stdoutRead) != 0) {
        Fail("posix_openpt");
      }
      stdoutWrite = open(ptsname(stdoutRead), O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (stdoutWrite < 0) Fail("open pty");
      // Raw, so the terminal passes the program's bytes as they are.
      termios settings;
      tcgetattr(stdoutWrite, &settings);
      cfmakeraw(&settings);
      tcsetattr(stdoutWrite, TCSANOW, &settings);
      break;
    }
    case StdoutKind::DevFull:
      stdoutWrite = open("/dev/full", O_WRONLY | O_CLOEXEC);
      if (stdoutWrite < 0) Fail("open /dev/full");
      break;
    case StdoutKind::Closed:
      break;
  }
  int stderrPipe[2];
  if (pipe2(stderrPipe, O_CLOEXEC) != 0) Fail("pipe");

  // Built before the fork: a child of a threaded test may not allocate.
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const auto& e : envp) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    signal(SIGPIPE, SIG_DFL);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    if (devNull > 2) close(devNull);
    if (stdoutWrite >= 0) {
      dup2(stdoutWrite, 1);
    } else {
      close(1);
    }
    dup2(stderrPipe[1], 2);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(stderrPipe[1]);
  // The terminal's child side stays open here until the child is gone, so
  // that reading it never sees a hang-up before the child has written.
  if (options.stdoutKind != StdoutKind::Terminal && stdoutWrite >= 0) {
    close(stdoutWrite);
  }

  RunResult result;
  const auto deadline = started + options.timeLimit;
  int status = 0;
  bool reaped = false;
  while (!reaped) {
    pollfd fds[2] = {{stdoutRead, POLLIN, 0}, {stderrPipe[0], POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(child, SIGKILL);
      result.timedOut = true;
    }
    poll(fds, 2, 10);
    char chunk[4096];
    if (stdoutRead >= 0 && (fds[0].revents & POLLIN)) {
      const ssize_t n = read(stdoutRead, chunk, sizeof chunk);
      if (n > 0) result.output.append(chunk, static_cast<std::size_t>(n));
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = read(stderrPipe[0], chunk, sizeof chunk);
      if (n > 0) result.stderrOutput.append(chunk, static_cast<std::size_t>(n));
    }
    if (waitpid(child, &status, WNOHANG) == child) reaped = true;
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);

  if (options.stdoutKind == StdoutKind::Terminal) {
    close(stdoutWrite);
    fcntl(stdoutRead, F_SETFL, O_NONBLOCK);
  }
  if (stdoutRead >= 0) {
    Drain(stdoutRead, result.output);
    close(stdoutRead);
  }
  Drain(stderrPipe[0], result.stderrOutput);
  close(stderrPipe[0]);
  if (!filePath.empty()) {
    const int fd = open(filePath.c_str(), O_RDONLY);
    Drain(fd, result.output);
    close(fd);
    unlink(filePath.c_str());
  }
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}
