#pragma once
// ConsoleOut: standard output as one buffered byte stream. Results and failure
// reports are written here and nowhere else; bytes pass unchanged.
//
// The stream is opened by its first write. It holds up to 128 bytes and hands
// them over when full, at each line end on a character device, and at the end
// of the run.

#include <cstdint>
#include <string_view>

#include "main/counted_text.h"

inline constexpr int kConsoleBufferBytes = 128;
inline constexpr std::int32_t kIoErrorNotOpenForOutput = 105;
inline constexpr std::int32_t kIoErrorFileNotOpen = 103;

void WriteInteger(std::int32_t value);
void WriteText(const char* zeroTerminatedText);
void WriteCountedText(const CountedText& text);
void WriteLineEnd();
void CloseConsoleOut();

// Code of the latest write failure on ConsoleOut (0: none).
std::int32_t PendingIoError();
void ClearPendingIoError();

// True once a byte the run asked to write could not be handed to standard
// output: such a run must not end as a success.
bool ConsoleOutputLost();
