// The one rounding of every result: to nearest, ties to even, at a format's
// precision, or at the position of its subnormals below its normal range.

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

Rounded RoundToFormat(UInt128 significand, std::int32_t exponent,
                      const Format& format) {
  if (exponent < format.minNormalExponent) {
    // Subnormal: the bits below the format's smallest unit are dropped too.
    const auto distance = static_cast<std::uint32_t>(
        static_cast<std::int64_t>(format.minNormalExponent) - exponent);
    significand = ShiftRightJamming(significand, distance);
    exponent = format.minNormalExponent;
  }
  // Precision 64 keeps the high half; narrower formats drop the low bits of
  // it as well.
  const int droppedInHigh = 64 - format.precision;
  std::uint64_t kept = significand.high >> droppedInHigh;
  bool aboveHalf;
  bool exactlyHalf;
  if (droppedInHigh == 0) {
    aboveHalf = significand.low > kTopBit;
    exactlyHalf = significand.low == kTopBit;
  } else {
    const std::uint64_t half = std::uint64_t{1} << (droppedInHigh - 1);
    const std::uint64_t rest =
        significand.high & ((std::uint64_t{1} << droppedInHigh) - 1);
    aboveHalf = rest > half || (rest == half && significand.low != 0);
    exactlyHalf = rest == half && significand.low == 0;
  }
  if (aboveHalf || (exactlyHalf && (kept & 1) != 0)) {
    ++kept;
    // All ones became a power of two one bit wider: one bit up again. A
    // subnormal that rounds up to the smallest normal needs nothing: its top
    // bit is now set at the same exponent.
    const bool carried = format.precision == 64
                             ? kept == 0
                             : kept == (std::uint64_t{1} << format.precision);
    if (carried) {
      kept = std::uint64_t{1} << (format.precision - 1);
      ++exponent;
    }
  }
  Rounded rounded;
  rounded.significand = kept;
  rounded.exponent = exponent;
  rounded.overflow = exponent > format.maxExponent;
  return rounded;
}

Value RoundAndPack(bool negative, UInt128 significand, std::int32_t exponent) {
  const Rounded rounded = RoundToFormat(significand, exponent, kExtendedFormat);
  if (rounded.overflow) return Infinity(negative);
  const std::int32_t biased = (rounded.significand & kTopBit) != 0
                                  ? rounded.exponent + kExponentBias
                                  : 0;
  return {rounded.significand,
          static_cast<std::uint16_t>((negative ? kSignBit : 0) | biased)};
}

}  // namespace soft_extended
