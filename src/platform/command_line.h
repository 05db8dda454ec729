#pragma once
// Seam: the process's command line.
//
// Some platforms hand a process its arguments already split (POSIX argv);
// others hand it one text that the program scans itself (Win32, through
// ScanArgument). Either way the rest of the system sees numbered arguments.

#include <string_view>

// Records what the process entry received. Platforms that keep the command
// line themselves ignore it.
void CaptureProcessArguments(int argc, char** argv);

// The index-th argument, index 0 being the program's own name; the empty text
// when there is no such argument. Arguments are raw bytes, never converted.
std::string_view RawArgument(int index);
