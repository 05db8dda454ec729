#pragma once
// Seam: the opt-in trace on standard error, asked for with PHM210_TRACE=1 in
// the environment. Without it nothing is ever written to standard error.

// Whether this run was asked to trace.
bool TraceEnabled();

// Writes one trace line (a line end is added) when tracing; else nothing.
[[gnu::format(printf, 1, 2)]] void TraceLine(const char* format, ...);
