#pragma once
// The stages that the operations of the software double-extended type share:
// unpacking an encoding into sign, exponent and normalised significand,
// rounding a wide significand once to a format's precision and range, and
// choosing the not-a-number that an operation passes on.

#include <cstdint>

#include "numbers/soft_extended/soft_extended.h"
#include "numbers/soft_extended/wide_integer.h"

namespace soft_extended {

enum class Kind {
  kZero,
  kFinite,  // nonzero
  kInfinite,
  kNotANumber,
  // An encoding the x87 refuses as an operand (exponent not 0 without the
  // integer bit): such operands make an invalid operation. The operations
  // never produce one.
  kUnsupported,
};

struct Unpacked {
  Kind kind = Kind::kZero;
  bool negative = false;
  // For a finite value: value = significand x 2^(exponent - 63), the
  // significand normalised (bit 63 set), subnormals included.
  std::int32_t exponent = 0;
  std::uint64_t significand = 0;
};

Unpacked Unpack(Value a);

// A binary floating-point format, as rounding sees it.
struct Format {
  int precision;  // significand bits, 64 at most
  std::int32_t minNormalExponent;
  std::int32_t maxExponent;
};
inline constexpr Format kExtendedFormat{64, -16382, 16383};
inline constexpr Format kDoubleFormat{53, -1022, 1023};
inline constexpr Format kSingleFormat{24, -126, 127};

struct Rounded {
  bool overflow = false;  // beyond the largest finite value of the format
  // The significand as `precision` bits, right-aligned: its top bit is set
  // for a normal value and clear for a subnormal one (then the exponent is
  // the format's minNormalExponent); zero when the result is zero.
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;  // of the top significand bit
};

// significand / 2^127 x 2^exponent (bit 127 of the significand set; the
// lowest bit may be a jammed one) rounded once to nearest, ties to even, at
// the format's precision or, below its normal range, at the position of its
// subnormals.
Rounded RoundToFormat(UInt128 significand, std::int32_t exponent,
                      const Format& format);

// The same, packed as a double-extended value; infinity on overflow.
Value RoundAndPack(bool negative, UInt128 significand, std::int32_t exponent);

bool IsSignallingNotANumber(Value a);
Value Quieted(Value a);  // a not-a-number with its quiet bit set

// The result of an operation with at least one not-a-number operand.
Value PropagatedNotANumber(Value a, Value b);

}  // namespace soft_extended
