#pragma once
// Seam: the platform's say over a failure that has reached the top of the
// run, before the program reports it itself.

#include <cstdint>

// Hands the failure to a debugger watching the process, which then deals
// with it as with any other unhandled exception. Returns, so that the program
// writes its own report, when nothing is watching. Where the platform keeps
// no such watch, it always returns.
void OfferFailureToDebugger(std::uint32_t location);
