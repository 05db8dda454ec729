#pragma once
// Seam: ending the process.

// Ends the process at once with `status`; no runtime clean-up runs, so nothing
// the program did not write itself can appear on standard output.
[[noreturn]] void ExitProcessWithStatus(int status);
