#include "random_operands.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "exact_model.h"

namespace differential {

namespace soft = soft_extended;

namespace {

constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
constexpr std::int32_t kMaxExponent = 16383;
constexpr std::int32_t kMinNormalExponent = -16382;
constexpr std::int32_t kLowestBitExponent = -16445;

std::int32_t Between(Engine& engine, std::int32_t low, std::int32_t high) {
  return std::uniform_int_distribution<std::int32_t>(low, high)(engine);
}

bool Coin(Engine& engine) { return (engine() & 1) != 0; }

Operand WithSign(Engine& engine, Operand value) {
  return Coin(engine) ? soft::Negate(value) : value;
}

// An odd number of `bits` bits (1 to 64), the regions that make exact ties.
std::uint64_t OddOfWidth(Engine& engine, int bits) {
  const std::uint64_t value =
      bits == 64 ? engine() : engine() & ((std::uint64_t{1} << bits) - 1);
  return value | 1 | (std::uint64_t{1} << (bits - 1));
}

// significand x 2^exponent exactly (the caller keeps it representable), or
// rounded if not: either way an operand.
Operand Scaled(bool negative, std::uint64_t significand,
               std::int32_t exponent) {
  return soft::FromParts(negative, significand, exponent);
}

// The exponents of the leading bits of two operands whose product (or
// quotient) has its leading bit near 2^target: the first is drawn so that
// the second lies in the range too.
std::pair<std::int32_t, std::int32_t> ExponentsFor(Engine& engine,
                                                   std::int32_t target,
                                                   bool quotient) {
  const std::int32_t low =
      quotient ? target + kLowestBitExponent : target - kMaxExponent;
  const std::int32_t high =
      quotient ? target + kMaxExponent : target - kLowestBitExponent;
  const std::int32_t first =
      Between(engine, std::max(low, -8000), std::min(high, 8000));
  return {first, quotient ? first - target : target - first};
}

// A significand of random bits, or of long runs of ones or zeros, which
// carry and cancel furthest.
std::uint64_t SignificandBits(Engine& engine) {
  switch (engine() % 4) {
    case 0:
      return ~std::uint64_t{0} << (engine() % 64);
    case 1:
      return kTopBit | (engine() % 1024);
    case 2:
      return kTopBit | (~std::uint64_t{0} >> (1 + engine() % 63));
    default:
      return kTopBit | engine();
  }
}

std::pair<Operand, Operand> CloseExponents(Engine& engine) {
  const std::int32_t exponent = Between(engine, -16000, 16000);
  const Operand a = FiniteWithExponent(engine, exponent);
  const Operand b =
      FiniteWithExponent(engine, exponent + Between(engine, -70, 70));
  return {WithSign(engine, a), WithSign(engine, b)};
}

// a + b that is exactly halfway between two neighbours: b is an odd multiple
// of half a unit in the last place of a.
std::pair<Operand, Operand> HalfwaySum(Engine& engine) {
  const std::int32_t exponent = Between(engine, -16300, 16300);
  const Operand a = FiniteWithExponent(engine, exponent);
  const int width = Between(engine, 1, 64);
  // Exactly half a unit, or just above it by bits far below.
  const std::int32_t lowest =
      exponent - 64 - (Coin(engine) ? 0 : Between(engine, 1, 66));
  const Operand b = Scaled(Coin(engine), OddOfWidth(engine, width), lowest);
  return {WithSign(engine, a), b};
}

// Two significands whose product has exactly one bit too many, or that land
// below the normal range with few enough bits to make ties there.
std::pair<Operand, Operand> HalfwayProduct(Engine& engine) {
  const int aBits = Between(engine, 1, 40);
  // Together the two widths exceed 64 bits, so the product needs rounding;
  // each stays within the 64 bits an operand has.
  const int bBits =
      Between(engine, std::max(1, 60 - aBits), std::min(64, 66 - aBits));
  const std::int32_t target = Coin(engine) ? Between(engine, -16000, 16000)
                                           : Between(engine, -16470, -16370);
  const auto [aLeading, bLeading] = ExponentsFor(engine, target, false);
  return {
      Scaled(Coin(engine), OddOfWidth(engine, aBits), aLeading - (aBits - 1)),
      Scaled(Coin(engine), OddOfWidth(engine, bBits), bLeading - (bBits - 1))};
}

// Exact quotients of few bits placed below the normal range, where the
// subnormal rounding position makes them ties; and ordinary quotients.
std::pair<Operand, Operand> HalfwayQuotient(Engine& engine) {
  const int qBits = Between(engine, 1, 32);
  const int dBits = Between(engine, 1, 32);
  const std::uint64_t quotient = OddOfWidth(engine, qBits);
  const std::uint64_t divisor = OddOfWidth(engine, dBits);
  const std::int32_t quotientLeading = Between(engine, -16470, -16370);
  const std::int32_t divisorLeading = Between(engine, -100, 100);
  const std::int32_t dividendLowest =
      quotientLeading - (qBits - 1) + divisorLeading - (dBits - 1);
  const Operand a = Scaled(Coin(engine), quotient * divisor, dividendLowest);
  const Operand b = Scaled(Coin(engine), divisor, divisorLeading - (dBits - 1));
  return {a, b};
}

// A product or quotient whose exponent is near the top or the bottom of the
// range.
std::pair<Operand, Operand> AtTheEnds(Engine& engine, Operation operation) {
  const std::int32_t target =
      Coin(engine)
          ? Between(engine, kMaxExponent - 3, kMaxExponent + 2)
          : Between(engine, kLowestBitExponent - 3, kMinNormalExponent + 3);
  const auto [aExponent, bExponent] =
      ExponentsFor(engine, target, operation == Operation::kDivide);
  Operand a = WithSign(engine, FiniteWithExponent(engine, aExponent));
  Operand b = WithSign(engine, FiniteWithExponent(engine, bExponent));
  if (operation == Operation::kAdd) {
    // Sums reach the ends only from there: both operands at that end.
    const std::int32_t end = target > 0 ? kMaxExponent : kMinNormalExponent;
    a = WithSign(engine,
                 FiniteWithExponent(engine, end - Between(engine, 0, 2)));
    b = WithSign(engine,
                 FiniteWithExponent(engine, end - Between(engine, 0, 70)));
  }
  return {a, b};
}

// The values nearest to 10^k that the scaling of number texts works with:
// every k of the double range and the entries of the tables beyond it.
std::vector<Operand> PowersOfTen() {
  std::vector<std::int32_t> exponents;
  for (std::int32_t k = -400; k <= 400; ++k) exponents.push_back(k);
  for (std::int32_t j = 1; j <= 15; ++j) exponents.push_back(32 * j);
  for (std::int32_t j = 1; j <= 9; ++j) exponents.push_back(512 * j);
  std::vector<Operand> powers;
  for (const std::int32_t k : exponents) {
    for (const bool reciprocal : {false, true}) {
      const exact::Natural power =
          exact::Power(10, static_cast<std::uint32_t>(std::abs(k)));
      const bool divide = (k < 0) != reciprocal;
      const exact::Value value =
          divide ? exact::RoundToExtended(exact::FromUnsigned(1), power, 0)
                 : exact::RoundToExtended(power, exact::FromUnsigned(1), 0);
      powers.push_back(Scaled(false, value.significand,
                              static_cast<std::int32_t>(value.exponent)));
    }
  }
  return powers;
}

}  // namespace

Operand AnyEncoding(Engine& engine) {
  const std::uint64_t bits = engine();
  auto biased = static_cast<std::uint16_t>(bits & 0x7FFF);
  // Zero, subnormal and the top exponent come up far more often than one in
  // 32768.
  switch ((bits >> 16) % 8) {
    case 0:
      biased = 0;
      break;
    case 1:
      biased = 0x7FFF;
      break;
    default:
      break;
  }
  std::uint64_t significand = engine();
  if (biased == 0) {
    significand &= ~kTopBit;
    if ((bits >> 20) % 8 == 0) significand = 0;
  } else {
    significand |= kTopBit;
    if (biased == 0x7FFF && (bits >> 20) % 4 == 0) significand = kTopBit;
  }
  const auto sign = static_cast<std::uint16_t>((bits >> 32) & 0x8000);
  return {significand, static_cast<std::uint16_t>(sign | biased)};
}

Operand FiniteWithExponent(Engine& engine, std::int32_t exponent) {
  exponent = std::clamp(exponent, kLowestBitExponent, kMaxExponent);
  const std::uint64_t significand = SignificandBits(engine);
  // Below the normal range the low bits fall off; the leading bit stays.
  return Scaled(false, significand, exponent - 63);
}

Operand NearPowerOfTen(Engine& engine) {
  static const std::vector<Operand> powers = PowersOfTen();
  const Operand power = powers[engine() % powers.size()];
  // A few units in the last place away, on either side.
  soft::Parts parts = soft::PartsOf(power);
  parts.significand += static_cast<std::uint64_t>(Between(engine, -3, 3));
  parts.significand |= kTopBit;
  return WithSign(engine, Scaled(false, parts.significand, parts.exponent));
}

std::pair<Operand, Operand> OperandPair(Engine& engine, Operation operation) {
  switch (engine() % 7) {
    case 0:
      return {AnyEncoding(engine), AnyEncoding(engine)};
    case 5: {
      // The same magnitude twice: exact cancellation, x / x, and
      // not-a-numbers with equal payloads.
      const Operand a = AnyEncoding(engine);
      return {a, WithSign(engine, soft::Absolute(a))};
    }
    case 1:
      return CloseExponents(engine);
    case 2:
      // A value times or by a power of ten: the scaling of number texts.
      return {WithSign(engine, FiniteWithExponent(
                                   engine, Between(engine, -1100, 1100))),
              NearPowerOfTen(engine)};
    case 3:
      return AtTheEnds(engine, operation);
    default:
      switch (operation) {
        case Operation::kAdd:
          return HalfwaySum(engine);
        case Operation::kMultiply:
          return HalfwayProduct(engine);
        case Operation::kDivide:
          return HalfwayQuotient(engine);
      }
  }
  return {};
}

Operand NarrowingOperand(Engine& engine, int precision,
                         std::int32_t minNormalExponent,
                         std::int32_t maxExponent) {
  const std::int32_t lowestBit = minNormalExponent - (precision - 1);
  switch (engine() % 4) {
    case 0:
      return AnyEncoding(engine);
    case 1:
      return WithSign(
          engine, FiniteWithExponent(
                      engine, Between(engine, lowestBit - 3, maxExponent + 2)));
    default: {
      // Exactly halfway, or one unit of the wider format beside it, at a
      // position of the narrower format's range or beyond its ends.
      std::int32_t leading;
      switch (engine() % 3) {
        case 0:
          leading = Between(engine, lowestBit - 2, minNormalExponent + 1);
          break;
        case 1:
          leading = Between(engine, maxExponent - 1, maxExponent + 1);
          break;
        default:
          leading = Between(engine, minNormalExponent, maxExponent);
          break;
      }
      const int dropped =
          64 - precision + std::max(0, minNormalExponent - leading);
      std::uint64_t significand = engine() | kTopBit;
      if (dropped < 64) {
        const std::uint64_t mask = (std::uint64_t{1} << dropped) - 1;
        const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
        significand = (significand & ~mask) | half;
        significand += static_cast<std::uint64_t>(Between(engine, -1, 1));
        significand |= kTopBit;
      } else if (dropped == 64) {
        significand = kTopBit | (engine() % 2);
      }
      return WithSign(engine, Scaled(false, significand, leading - 63));
    }
  }
}

Operand NearInteger(Engine& engine) {
  switch (engine() % 4) {
    case 0:
      return AnyEncoding(engine);
    case 1: {
      // n + 1/2, or a unit in the last place beside it.
      const int width = Between(engine, 1, 64);
      soft::Parts parts =
          soft::PartsOf(Scaled(false, OddOfWidth(engine, width), -1));
      parts.significand += static_cast<std::uint64_t>(Between(engine, -1, 1));
      parts.significand |= kTopBit;
      return WithSign(engine, Scaled(false, parts.significand, parts.exponent));
    }
    default:
      return WithSign(engine,
                      FiniteWithExponent(engine, Between(engine, -3, 66)));
  }
}

}  // namespace differential
