#pragma once
// Operands for comparing the software double-extended type with the x87
// unit: random encodings and the regions where roundings are hard (near
// powers of ten, at the ends of the range, halfway between two neighbours).
// Every generator draws from one seeded engine, so a run is repeatable.

#include <cstdint>
#include <random>
#include <utility>

#include "numbers/soft_extended/soft_extended.h"

namespace differential {

using Operand = soft_extended::Value;
using Engine = std::mt19937_64;

// Any canonical encoding: zeros, subnormals, normals, infinities, quiet and
// signalling not-a-numbers, each sign.
Operand AnyEncoding(Engine& engine);

// A finite, nonzero value with the given unbiased exponent of its leading
// bit (below -16382: a subnormal) and a random significand.
Operand FiniteWithExponent(Engine& engine, std::int32_t exponent);

// Near 10^k for k anywhere in the range, a few units in the last place away.
Operand NearPowerOfTen(Engine& engine);

// Pairs of operands for a binary operation, from a mix of every region:
// random encodings, close exponents (alignment and cancellation), powers of
// ten, results at the ends of the range and exact halfway cases.
enum class Operation { kAdd, kMultiply, kDivide };
std::pair<Operand, Operand> OperandPair(Engine& engine, Operation operation);

// Values whose rounding to `precision` bits with the given range is hard:
// at, just beside or beyond the ends of that format's range and halfway
// between two neighbours.
Operand NarrowingOperand(Engine& engine, int precision,
                         std::int32_t minNormalExponent,
                         std::int32_t maxExponent);

// Values around the integers: fractions, halves, the 2^63 boundary.
Operand NearInteger(Engine& engine);

}  // namespace differential
