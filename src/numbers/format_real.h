#pragma once
// The text of a real result: up to 18 significant digits, plain decimal from
// 0.0001 up to (not including) 1e18 and exponent notation otherwise, with
// DecimalSeparator between integer and fraction digits.

#include "main/counted_text.h"

// Never fails: "NAN", "INF", "-INF" and "0" (for either zero) included.
CountedText FormatReal(double value);
