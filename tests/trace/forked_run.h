#pragma once
// Runs a program in a forked child with a standard error that the general
// test runner does not offer (closed, or a pipe without reader) and, for a
// test run by root, as another user.

#include <pwd.h>

#include <string>
#include <vector>

enum class ErrorStream {
  File,        // captured in a file
  Closed,      // file descriptor 2 closed
  BrokenPipe,  // a pipe whose reader is already gone
};

struct ForkedRun {
  std::string output;   // every byte written on standard output
  std::string errors;   // every byte written on standard error (File only)
  int exitStatus = -1;  // -1 when ended by a signal
  int signal = 0;
  bool startFailed = false;  // the child could not become `user` or exec
};

// Runs `program` (after the PHM210_LAUNCHER words, as every run of the tests
// is) with `arguments` and exactly the `environment` entries (NAME=value).
// With `user`, the child gives up root for that user's ids, with no
// supplementary groups, before it executes the program.
ForkedRun RunForked(const std::string& program,
                    const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment,
                    ErrorStream errors, const passwd* user);
