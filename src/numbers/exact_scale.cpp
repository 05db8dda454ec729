#include "numbers/exact_scale.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <vector>

namespace {

// Beyond these exponents the result no longer depends on n: even the
// smallest subnormal times 10^9901 exceeds the largest extended value, and
// the largest value times 10^-9901 is below half the smallest subnormal.
constexpr std::int32_t kCertainOverflow = 9901;
constexpr std::int32_t kCertainZero = -9901;

// A natural number as little-endian 32-bit limbs, without leading zero limbs.
struct Natural {
  std::vector<std::uint32_t> limbs;
};

void Trim(Natural& a) {
  while (!a.limbs.empty() && a.limbs.back() == 0) a.limbs.pop_back();
}

Natural NaturalFrom(std::uint64_t value) {
  Natural a;
  a.limbs = {static_cast<std::uint32_t>(value),
             static_cast<std::uint32_t>(value >> 32)};
  Trim(a);
  return a;
}

void MultiplyBySmall(Natural& a, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : a.limbs) {
    const std::uint64_t product =
        static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) a.limbs.push_back(static_cast<std::uint32_t>(carry));
}

Natural PowerOfFive(std::int32_t exponent) {
  Natural power = NaturalFrom(1);
  constexpr std::uint32_t kFivePow13 = 1220703125;  // largest 5^k in 32 bits
  for (; exponent >= 13; exponent -= 13) MultiplyBySmall(power, kFivePow13);
  for (; exponent > 0; --exponent) MultiplyBySmall(power, 5);
  return power;
}

std::int64_t BitLength(const Natural& a) {
  if (a.limbs.empty()) return 0;
  return static_cast<std::int64_t>(a.limbs.size() - 1) * 32 +
         static_cast<std::int64_t>(std::bit_width(a.limbs.back()));
}

Natural ShiftedLeft(const Natural& a, std::int64_t bits) {
  if (a.limbs.empty()) return a;
  const auto limbShift = static_cast<std::size_t>(bits / 32);
  const auto bitShift = static_cast<unsigned>(bits % 32);
  Natural result;
  result.limbs.assign(limbShift + a.limbs.size() + 1, 0);
  for (std::size_t i = 0; i < a.limbs.size(); ++i) {
    const std::uint64_t moved = static_cast<std::uint64_t>(a.limbs[i])
                                << bitShift;
    result.limbs[limbShift + i] |= static_cast<std::uint32_t>(moved);
    result.limbs[limbShift + i + 1] |= static_cast<std::uint32_t>(moved >> 32);
  }
  Trim(result);
  return result;
}

int Compare(const Natural& a, const Natural& b) {
  if (a.limbs.size() != b.limbs.size()) {
    return a.limbs.size() < b.limbs.size() ? -1 : 1;
  }
  for (std::size_t i = a.limbs.size(); i-- > 0;) {
    if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
  }
  return 0;
}

// a -= b, for a >= b.
void Subtract(Natural& a, const Natural& b) {
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < a.limbs.size(); ++i) {
    std::int64_t difference = static_cast<std::int64_t>(a.limbs[i]) - borrow -
                              (i < b.limbs.size() ? b.limbs[i] : 0);
    borrow = difference < 0 ? 1 : 0;
    if (difference < 0) difference += std::int64_t{1} << 32;
    a.limbs[i] = static_cast<std::uint32_t>(difference);
  }
  Trim(a);
}

// The quotient of numerator / denominator, known to be below 2^64; the
// remainder is left in numerator.
std::uint64_t DivideSmallQuotient(Natural& numerator,
                                  const Natural& denominator) {
  std::uint64_t quotient = 0;
  for (int bit = 63; bit >= 0; --bit) {
    const Natural shifted = ShiftedLeft(denominator, bit);
    if (Compare(numerator, shifted) >= 0) {
      Subtract(numerator, shifted);
      quotient |= std::uint64_t{1} << bit;
    }
  }
  return quotient;
}

// numerator / denominator x 2^binaryExponent rounded to double-extended.
Extended RoundQuotient(Natural numerator, Natural denominator,
                       std::int64_t binaryExponent, bool negative) {
  // floor(log2(numerator / denominator)), from the bit lengths and one test.
  std::int64_t log2Quotient = BitLength(numerator) - BitLength(denominator);
  const bool atLeastEstimate =
      log2Quotient >= 0
          ? Compare(numerator, ShiftedLeft(denominator, log2Quotient)) >= 0
          : Compare(ShiftedLeft(numerator, -log2Quotient), denominator) >= 0;
  if (!atLeastEstimate) --log2Quotient;
  const std::int64_t valueExponent = log2Quotient + binaryExponent;
  if (valueExponent > kExtendedMaxExponent) return OverflowedExtended(negative);

  // The weight of the last significand bit: 64 bits for a normal value, fewer
  // for a subnormal one.
  const std::int64_t lastBitExponent =
      std::max<std::int64_t>(valueExponent - 63, kExtendedLowestBitExponent);
  const std::int64_t shift = lastBitExponent - binaryExponent;
  if (shift >= 0) {
    denominator = ShiftedLeft(denominator, shift);
  } else {
    numerator = ShiftedLeft(numerator, -shift);
  }
  std::uint64_t significand = DivideSmallQuotient(numerator, denominator);
  std::int64_t exponent = lastBitExponent;
  const int half = Compare(ShiftedLeft(numerator, 1), denominator);
  if (half > 0 || (half == 0 && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) {  // carried out of 64 bits
      significand = std::uint64_t{1} << 63;
      ++exponent;
    }
  }
  if (significand == 0) return ZeroExtended(negative);
  const auto width = static_cast<std::int64_t>(std::bit_width(significand));
  if (width - 1 + exponent > kExtendedMaxExponent) {
    return OverflowedExtended(negative);
  }
  ExtendedParts parts;
  parts.negative = negative;
  parts.significand = significand;
  parts.exponent = static_cast<std::int32_t>(exponent);
  return ExtendedFromParts(parts);
}

}  // namespace

Extended ScaleExactlyByPowerOfTen(Extended x, std::int32_t n) {
  if (n == 0 || IsZero(x) || IsInfinite(x) || IsNotANumber(x)) return x;
  const bool negative = IsSignNegative(x);
  if (n >= kCertainOverflow) return OverflowedExtended(negative);
  if (n <= kCertainZero) return ZeroExtended(negative);

  // x * 10^n = significand * 5^n * 2^(exponent + n).
  const ExtendedParts parts = PartsOfExtended(x);
  Natural numerator = NaturalFrom(parts.significand);
  Natural denominator = NaturalFrom(1);
  if (n > 0) {
    const Natural power = PowerOfFive(n);
    // A 64-bit significand times the power, limb by limb.
    Natural product;
    product.limbs.assign(power.limbs.size() + 2, 0);
    for (std::size_t i = 0; i < numerator.limbs.size(); ++i) {
      std::uint64_t carry = 0;
      for (std::size_t j = 0; j < power.limbs.size(); ++j) {
        const std::uint64_t sum =
            static_cast<std::uint64_t>(numerator.limbs[i]) * power.limbs[j] +
            product.limbs[i + j] + carry;
        product.limbs[i + j] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
      }
      product.limbs[i + power.limbs.size()] +=
          static_cast<std::uint32_t>(carry);
    }
    Trim(product);
    numerator = product;
  } else {
    denominator = PowerOfFive(-n);
  }
  return RoundQuotient(numerator, denominator,
                       static_cast<std::int64_t>(parts.exponent) + n, negative);
}
