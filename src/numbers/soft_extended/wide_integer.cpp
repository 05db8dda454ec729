#include "numbers/soft_extended/wide_integer.h"

namespace soft_extended {

namespace {

constexpr std::uint64_t kDigitBase = std::uint64_t{1} << 32;
constexpr std::uint64_t kLow32 = kDigitBase - 1;

// One 32-bit digit of the quotient of (remainder x 2^32 + nextDigit) by the
// divisor, estimated from the divisor's high digit and corrected (at most
// twice) with its low digit, as in schoolbook long division. The partial
// remainder is left in `remainder`.
std::uint64_t NextQuotientDigit(std::uint64_t& remainder,
                                std::uint64_t nextDigit,
                                std::uint64_t divisor) {
  const std::uint64_t divisorHigh = divisor >> 32;
  const std::uint64_t divisorLow = divisor & kLow32;
  std::uint64_t digit = remainder / divisorHigh;
  std::uint64_t partial = remainder - digit * divisorHigh;
  while (digit >= kDigitBase ||
         digit * divisorLow > ((partial << 32) | nextDigit)) {
    --digit;
    partial += divisorHigh;
    if (partial >= kDigitBase) break;
  }
  // The true remainder lies below the divisor, so arithmetic modulo 2^64
  // gives it exactly.
  remainder = ((remainder << 32) | nextDigit) - digit * divisor;
  return digit;
}

}  // namespace

QuotientAndRemainder DivideWide(UInt128 numerator, std::uint64_t divisor) {
  std::uint64_t remainder = numerator.high;
  const std::uint64_t high =
      NextQuotientDigit(remainder, numerator.low >> 32, divisor);
  const std::uint64_t low =
      NextQuotientDigit(remainder, numerator.low & kLow32, divisor);
  return {(high << 32) | low, remainder};
}

}  // namespace soft_extended
