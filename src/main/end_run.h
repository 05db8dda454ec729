#pragma once
// The orderly end of every run.

#include <cstdint>

// Makes the one-line runtime error pending; EndRun writes it.
void SetRuntimeErrorLinePending(int errorNumber, std::uint32_t location);

// Sets the exit status, writes a pending runtime error line, withdraws the
// failure report, hands the buffered output over and exits. A run whose
// output could not be delivered never exits with status 0.
[[noreturn]] void EndRun(int status);
