#include "exact_model.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace exact {

namespace {

void Trim(Natural& a) {
  while (!a.limbs.empty() && a.limbs.back() == 0) a.limbs.pop_back();
}

}  // namespace

Natural FromUnsigned(std::uint64_t value) {
  Natural a{{static_cast<std::uint32_t>(value),
             static_cast<std::uint32_t>(value >> 32)}};
  Trim(a);
  return a;
}

Natural Power(std::uint32_t base, std::uint32_t exponent) {
  Natural result = FromUnsigned(1);
  Natural square = FromUnsigned(base);
  while (exponent != 0) {
    if (exponent & 1) result = Multiply(result, square);
    exponent >>= 1;
    if (exponent != 0) square = Multiply(square, square);
  }
  return result;
}

Natural Multiply(const Natural& a, const Natural& b) {
  Natural product;
  product.limbs.assign(a.limbs.size() + b.limbs.size() + 1, 0);
  for (std::size_t i = 0; i < a.limbs.size(); ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < b.limbs.size(); ++j) {
      const std::uint64_t t =
          std::uint64_t{a.limbs[i]} * b.limbs[j] + product.limbs[i + j] + carry;
      product.limbs[i + j] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    for (std::size_t k = i + b.limbs.size(); carry != 0; ++k) {
      const std::uint64_t t = std::uint64_t{product.limbs[k]} + carry;
      product.limbs[k] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
  }
  Trim(product);
  return product;
}

Natural Add(const Natural& a, const Natural& b) {
  Natural sum;
  const std::size_t size = std::max(a.limbs.size(), b.limbs.size());
  sum.limbs.assign(size + 1, 0);
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint64_t t = carry + (i < a.limbs.size() ? a.limbs[i] : 0) +
                            (i < b.limbs.size() ? b.limbs[i] : 0);
    sum.limbs[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  sum.limbs[size] = static_cast<std::uint32_t>(carry);
  Trim(sum);
  return sum;
}

Natural Subtract(const Natural& a, const Natural& b) {
  Natural difference = a;
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < difference.limbs.size(); ++i) {
    std::int64_t t = std::int64_t{difference.limbs[i]} - borrow -
                     (i < b.limbs.size() ? std::int64_t{b.limbs[i]} : 0);
    borrow = t < 0;
    if (t < 0) t += std::int64_t{1} << 32;
    difference.limbs[i] = static_cast<std::uint32_t>(t);
  }
  Trim(difference);
  return difference;
}

Natural ShiftLeft(const Natural& a, std::uint64_t bits) {
  if (a.limbs.empty()) return a;
  Natural result;
  const std::size_t limbShift = bits / 32;
  const unsigned bitShift = bits % 32;
  result.limbs.assign(limbShift + a.limbs.size() + 1, 0);
  for (std::size_t i = 0; i < a.limbs.size(); ++i) {
    const std::uint64_t moved = std::uint64_t{a.limbs[i]} << bitShift;
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

std::uint64_t BitLength(const Natural& a) {
  if (a.limbs.empty()) return 0;
  return (a.limbs.size() - 1) * 32 + std::bit_width(a.limbs.back());
}

bool IsZero(const Natural& a) { return a.limbs.empty(); }

bool IsOdd(const Natural& a) { return !a.limbs.empty() && (a.limbs[0] & 1); }

void Divide(const Natural& numerator, const Natural& denominator,
            Natural& quotient, Natural& remainder) {
  quotient = Natural{};
  remainder = numerator;
  if (Compare(numerator, denominator) < 0) return;
  const std::uint64_t topBit = BitLength(numerator) - BitLength(denominator);
  quotient.limbs.assign(topBit / 32 + 1, 0);
  for (std::uint64_t bit = topBit + 1; bit-- > 0;) {
    const Natural shifted = ShiftLeft(denominator, bit);
    if (Compare(remainder, shifted) >= 0) {
      remainder = Subtract(remainder, shifted);
      quotient.limbs[bit / 32] |= std::uint32_t{1} << (bit % 32);
    }
  }
  Trim(quotient);
}

std::string ToDecimal(const Natural& a) {
  if (a.limbs.empty()) return "0";
  std::string digits;
  Natural rest = a;
  const Natural ten = FromUnsigned(10);
  while (!rest.limbs.empty()) {
    Natural quotient, remainder;
    Divide(rest, ten, quotient, remainder);
    digits.push_back(static_cast<char>('0' + ToUnsigned(remainder)));
    rest = quotient;
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::uint64_t ToUnsigned(const Natural& a) {
  std::uint64_t value = 0;
  for (std::size_t i = std::min<std::size_t>(a.limbs.size(), 2); i-- > 0;) {
    value = (value << 32) | a.limbs[i];
  }
  return value;
}

Natural RoundedQuotient(const Natural& numerator, const Natural& denominator) {
  Natural quotient, remainder;
  Divide(numerator, denominator, quotient, remainder);
  const int half = Compare(ShiftLeft(remainder, 1), denominator);
  if (half > 0 || (half == 0 && IsOdd(quotient))) {
    quotient = Add(quotient, FromUnsigned(1));
  }
  return quotient;
}

Value RoundToExtended(const Natural& numerator, const Natural& denominator,
                      std::int64_t binaryExponent, bool negative) {
  Value result;
  result.negative = negative;
  if (IsZero(numerator)) return result;
  // Bring the quotient into [2^63, 2^64) (or lower for subnormals) by
  // choosing the weight of its last bit, then round the integer quotient.
  std::int64_t log2 = static_cast<std::int64_t>(BitLength(numerator)) -
                      static_cast<std::int64_t>(BitLength(denominator));
  const bool atLeast =
      log2 >= 0 ? Compare(numerator, ShiftLeft(denominator, log2)) >= 0
                : Compare(ShiftLeft(numerator, -log2), denominator) >= 0;
  if (!atLeast) --log2;
  const std::int64_t lastBit =
      std::max<std::int64_t>(log2 + binaryExponent - 63, -16445);
  const std::int64_t shift = lastBit - binaryExponent;
  const Natural rounded =
      shift >= 0 ? RoundedQuotient(numerator, ShiftLeft(denominator, shift))
                 : RoundedQuotient(ShiftLeft(numerator, -shift), denominator);
  if (IsZero(rounded)) return result;
  const std::uint64_t width = BitLength(rounded);  // 64 or 65 (carry) or less
  std::int64_t exponent = lastBit;
  Natural normalised = rounded;
  if (width > 64) {
    normalised = FromUnsigned(std::uint64_t{1} << 63);
    exponent += 1;
  } else {
    normalised = ShiftLeft(rounded, 64 - width);
    exponent -= static_cast<std::int64_t>(64 - width);
  }
  if (exponent + 63 >= 16384) {
    result.overflow = true;
    return result;
  }
  result.significand = ToUnsigned(normalised);
  result.exponent = exponent;
  return result;
}

Binary BinaryOfDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = bits >> 63;
  const auto biased = static_cast<std::int64_t>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) return {negative, fraction, -1074};
  return {negative, fraction | (std::uint64_t{1} << 52), biased - 1075};
}

Value ProductOf(const Value& x, const Value& y) {
  return RoundToExtended(
      Multiply(FromUnsigned(x.significand), FromUnsigned(y.significand)),
      FromUnsigned(1), x.exponent + y.exponent, x.negative != y.negative);
}

Value QuotientOf(const Value& x, const Value& y) {
  return RoundToExtended(FromUnsigned(x.significand),
                         FromUnsigned(y.significand), x.exponent - y.exponent,
                         x.negative != y.negative);
}

Value NearestPowerOfTen(std::uint32_t exponent) {
  return RoundToExtended(Power(10, exponent), FromUnsigned(1), 0);
}

}  // namespace exact
