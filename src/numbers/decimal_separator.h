#pragma once
// The locale's decimal separator: one byte, read once at start-up and used
// both when real numbers are written and when arguments are read.

// Start-up: takes the locale's separator when it is exactly one byte, "."
// otherwise (no separator, or one of two or more bytes).
void ReadDecimalSeparator();

char DecimalSeparator();

// Replaces the separator; for tests.
void SetDecimalSeparator(char separator);
