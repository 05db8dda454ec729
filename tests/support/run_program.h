#pragma once
// Runs a program as a child process and captures exactly what it writes on
// standard output, for end-to-end tests.
//
// PHM210_LAUNCHER, when set in the test's environment, is put before the
// program (for instance an emulator), so the same cases drive any build.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

enum class StdoutKind {
  Pipe,        // a pipe read until the child ends
  File,        // a regular file, read back afterwards
  Terminal,    // a pseudo-terminal in raw mode (a character device)
  DevFull,     // /dev/full: every write fails with ENOSPC
  Closed,      // file descriptor 1 closed
  BrokenPipe,  // a pipe whose reader is already gone
};

struct RunOptions {
  std::vector<std::string> arguments;  // after the program's name
  // Set in, or with an empty value removed from, the child's environment.
  std::vector<std::pair<std::string, std::string>> environment;
  StdoutKind stdoutKind = StdoutKind::Pipe;
  std::chrono::milliseconds timeLimit{30000};
};

struct RunResult {
  std::string output;   // every byte written on standard output
  int exitStatus = -1;  // -1 when ended by a signal
  int signal = 0;       // the ending signal, or 0
  bool timedOut = false;
  std::string stderrOutput;
  std::chrono::milliseconds elapsed{0};
};

RunResult RunProgram(const std::string& program, const RunOptions& options);

// Path of a program built beside the tests (PHM210_BUILD_DIR at compile time).
std::string BuiltProgram(const std::string& name);

// The phm210 executable that end-to-end tests run: PHM210_PROGRAM when set
// (another build, e.g. for another platform), else the one built beside them.
std::string ProgramUnderTest();

// Its file name without the directory, as its failure reports name it.
std::string ProgramFileName();
