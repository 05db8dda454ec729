#include "forked_run.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// The exit status of a child that could not start the program.
constexpr int kStartFailed = 125;

std::string TemporaryFile(int& descriptor) {
  char name[] = "/tmp/phm210-forked-XXXXXX";
  descriptor = mkstemp(name);
  return descriptor < 0 ? std::string() : name;
}

std::string ContentsAndRemove(const std::string& path) {
  if (path.empty()) return {};
  std::ifstream file(path, std::ios::binary);
  std::string contents((std::istreambuf_iterator<char>(file)),
                       std::istreambuf_iterator<char>());
  unlink(path.c_str());
  return contents;
}

}  // namespace

ForkedRun RunForked(const std::string& program,
                    const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment,
                    ErrorStream errors, const passwd* user) {
  std::vector<std::string> words;
  if (const char* launcher = std::getenv("PHM210_LAUNCHER")) {
    std::istringstream stream(launcher);
    for (std::string word; stream >> word;) words.push_back(word);
  }
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  // Built before the fork, so that the child does not allocate.
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> entries = environment;
  std::vector<char*> envp;
  for (auto& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int outputFile = -1;
  const std::string outputPath = TemporaryFile(outputFile);
  int errorFile = -1;
  std::string errorPath;
  int brokenPipe[2] = {-1, -1};
  if (errors == ErrorStream::File) errorPath = TemporaryFile(errorFile);
  if (errors == ErrorStream::BrokenPipe && pipe(brokenPipe) == 0) {
    close(brokenPipe[0]);
  }
  // The child's files must be writable by the user it becomes.
  if (user != nullptr) {
    if (outputFile >= 0) fchown(outputFile, user->pw_uid, user->pw_gid);
    if (errorFile >= 0) fchown(errorFile, user->pw_uid, user->pw_gid);
  }
  const uid_t userId = user != nullptr ? user->pw_uid : 0;
  const gid_t groupId = user != nullptr ? user->pw_gid : 0;

  const pid_t child = fork();
  if (child == 0) {
    signal(SIGPIPE, SIG_DFL);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    dup2(outputFile, STDOUT_FILENO);
    switch (errors) {
      case ErrorStream::File:
        dup2(errorFile, STDERR_FILENO);
        break;
      case ErrorStream::Closed:
        close(STDERR_FILENO);
        break;
      case ErrorStream::BrokenPipe:
        dup2(brokenPipe[1], STDERR_FILENO);
        break;
    }
    for (int fd = STDERR_FILENO + 1; fd < 64; ++fd) close(fd);
    if (user != nullptr &&
        (setgroups(0, nullptr) != 0 || setgid(groupId) != 0 ||
         setuid(userId) != 0 || geteuid() != userId)) {
      _exit(kStartFailed);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(kStartFailed);
  }
  if (outputFile >= 0) close(outputFile);
  if (errorFile >= 0) close(errorFile);
  if (brokenPipe[1] >= 0) close(brokenPipe[1]);

  ForkedRun run;
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (child > 0 && WIFEXITED(status)) {
    run.exitStatus = WEXITSTATUS(status);
    run.startFailed = run.exitStatus == kStartFailed;
  } else if (child > 0 && WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  } else {
    run.startFailed = true;
  }
  run.output = ContentsAndRemove(outputPath);
  run.errors = ContentsAndRemove(errorPath);
  return run;
}
