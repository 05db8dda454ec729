#pragma once
// Scaling by a power of ten, shared by the number texts in both directions.

#include <cstdint>

#include "numbers/extended.h"

// x * 10^n rounded to double-extended. For |n| < 5120 the product is formed
// from the tables of powers of ten, each step rounded; beyond the tables it is
// the exact product rounded once. An overflow behaves as the control in force
// says (extended.h); a result below the range becomes subnormal or zero.
Extended ScaleByPowerOfTen(Extended x, std::int32_t n);
