#pragma once
// Rounding of reals to the narrower formats and to integers, each to nearest
// with ties to even.

#include <cstdint>

#include "numbers/extended.h"

// EOverflow for a magnitude of 2^1024 - 2^970 or more (infinity included);
// below the normal range the result becomes subnormal or zero, silently.
double RoundToDouble(Extended x);

// The nearest 64-bit integer; EInvalidOp when it lies outside the 64-bit range
// or x is not a finite number.
std::int64_t RoundToInteger(Extended x);

// EOverflow for a magnitude of 2^128 - 2^103 or more (infinity included);
// below the normal range the result becomes subnormal or zero, silently.
float NarrowToSingle(double x);

// The low 32 bits as a two's-complement integer: 2^32 gives 0, 2^31 gives
// -2^31.
std::int32_t Low32Bits(std::int64_t value);
