#pragma once
// Scaling by powers of ten beyond the tables, computed exactly and rounded
// once. Only the extreme exponents of number texts come here, so it favours
// plainness over speed.

#include <cstdint>

#include "numbers/extended.h"

// x * 10^n rounded to nearest (ties to even) double-extended, for any n.
// An overflow behaves as the control in force says (extended.h).
Extended ScaleExactlyByPowerOfTen(Extended x, std::int32_t n);
