#pragma once
// Failures that end a run. A failure is raised where it is detected and is not
// caught by the system's own code: it travels to the top of the run, where
// ReportFailure writes the two-line report and ends the run with status 1.

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::size_t kFailureMessageCapacity = 1024;

struct Failure {
  const char* kindName;                   // "EConvertError", ...
  char message[kFailureMessageCapacity];  // zero-terminated, Windows-1252
  std::uint32_t location;                 // raise site, from the module base
};

// Each raise names, as the failure's location, the code that called it.
[[noreturn]] void RaiseConvertError(std::string_view argumentText);
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseInvalidOp();
[[noreturn]] void RaiseZeroDivide();
[[noreturn]] void RaiseOutOfMemory();

// The report is in force from the start-up step that reads the locale until
// EndRun withdraws it.
void PutFailureReportInForce();
void WithdrawFailureReport();

inline constexpr std::size_t kFailureReportCapacity = 1023;

// Composes the report text (without its final line end) into `report`, cut
// after kFailureReportCapacity bytes; returns its length.
std::size_t ComposeFailureReport(const Failure& failure,
                                 std::string_view moduleName,
                                 char (&report)[kFailureReportCapacity + 1]);

// The failure path at the top of the run: writes the report on ConsoleOut and
// ends the run. Before the report is in force, the run ends with the
// one-line runtime error instead.
[[noreturn]] void ReportFailure(const Failure& failure);
