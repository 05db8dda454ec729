// ScaleByPowerOfTen against an exact model of its steps: each product or
// quotient by a table entry rounded to double-extended, and beyond the
// tables the exact product rounded once.

#include "numbers/scale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <random>

#include "numbers_test_support.h"

namespace {

using exact::Value;

Value ScaledByModel(Value x, std::int32_t n) {
  if (n == 0 || x.significand == 0) return x;
  const std::uint32_t magnitude = static_cast<std::uint32_t>(std::abs(n));
  if (magnitude >= 5120) {
    const exact::Natural power = exact::Power(10, magnitude);
    const exact::Natural significand = exact::FromUnsigned(x.significand);
    return n > 0 ? exact::RoundToExtended(exact::Multiply(significand, power),
                                          exact::FromUnsigned(1), x.exponent,
                                          x.negative)
                 : exact::RoundToExtended(significand, power, x.exponent,
                                          x.negative);
  }
  const auto step = [n](const Value& a, std::uint32_t exponent) {
    const Value power = exact::NearestPowerOfTen(exponent);
    if (a.significand == 0) return a;
    return n > 0 ? exact::ProductOf(a, power) : exact::QuotientOf(a, power);
  };
  x = step(x, magnitude % 32);
  if (!x.overflow && (magnitude / 32) % 16 != 0) {
    x = step(x, 32 * ((magnitude / 32) % 16));
  }
  if (!x.overflow && magnitude / 512 != 0) x = step(x, 512 * (magnitude / 512));
  return x;
}

// The module's result, with an overflow shown as in the model.
Value ScaledByModule(Extended x, std::int32_t n) {
  Value result;
  const Raised raised =
      RaisedBy([&] { result = ExactOf(ScaleByPowerOfTen(x, n)); });
  if (!raised.kind.empty()) {
    EXPECT_EQ(raised.kind, "EOverflow");
    EXPECT_EQ(raised.message, kOverflowMessage);
    result = Value{};
    result.overflow = true;
  }
  return result;
}

Value RandomValue(std::mt19937_64& random, std::int32_t lowestExponent,
                  std::int32_t highestExponent) {
  Value x;
  x.negative = random() & 1;
  x.significand = random() | (std::uint64_t{1} << 63);
  x.exponent = std::uniform_int_distribution<std::int32_t>(
      lowestExponent, highestExponent)(random);
  return x;
}

void ExpectScaledLikeModel(Value x, std::int32_t n) {
  // A subnormal x keeps only the bits the format holds.
  x = exact::RoundToExtended(exact::FromUnsigned(x.significand),
                             exact::FromUnsigned(1), x.exponent, x.negative);
  const Value expected = ScaledByModel(x, n);
  const Value actual = ScaledByModule(ExtendedOf(x), n);
  EXPECT_TRUE(SameValue(actual, expected))
      << "x = " << std::hex << x.significand << std::dec << " * 2^"
      << x.exponent << ", n = " << n << ": got " << std::hex
      << actual.significand << std::dec << " * 2^" << actual.exponent
      << (actual.overflow ? " (overflow)" : "") << ", expected " << std::hex
      << expected.significand << std::dec << " * 2^" << expected.exponent
      << (expected.overflow ? " (overflow)" : "");
}

TEST(ScaleByPowerOfTenTest, MatchesModelOverTheTableRange) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 3000; ++i) {
    const std::int32_t n =
        std::uniform_int_distribution<std::int32_t>(-5119, 5119)(random);
    // Exponents that keep most results in range, and some that do not.
    const Value x = RandomValue(random, -16440 - 63, 16383 - 63);
    ExpectScaledLikeModel(x, n);
  }
}

TEST(ScaleByPowerOfTenTest, MatchesModelForIntegersAsTheTextsUseThem) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    const std::int32_t n =
        std::uniform_int_distribution<std::int32_t>(-5119, 5119)(random);
    Value x;
    x.significand = random() | (std::uint64_t{1} << 63);
    x.exponent = -std::uniform_int_distribution<std::int32_t>(0, 63)(random);
    ExpectScaledLikeModel(x, n);
  }
}

TEST(ScaleByPowerOfTenTest, BeyondTheTablesRoundsTheExactProductOnce) {
  std::mt19937_64 random(99);
  const std::int32_t cases[][2] = {
      // {binary exponent of x, n}
      {-16445, 5120}, {-16445, 9880}, {-16000, 5200}, {-100, 5120},
      {0, 5120},      {16300, -5120}, {16320, -9880}, {16320, -9890},
      {0, -5120},     {0, -5200},     {-60, -6000},   {1000, -9000},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < 3; ++i) {
      Value x = RandomValue(random, c[0] - 63, c[0] - 63);
      ExpectScaledLikeModel(x, c[1]);
    }
  }
}

TEST(ScaleByPowerOfTenTest, ExtremeExponentsOverflowOrVanishWithoutWrapping) {
  const Extended one = ExtendedFromInteger(1);
  const Extended tiny =
      ExtendedFromParts({false, std::uint64_t{1} << 63, -16508});
  const Extended largest = LargestExtended();
  struct Row {
    Extended x;
    std::int32_t n;
    bool overflows;
  } rows[] = {
      {one, 4933, true},
      {one, std::numeric_limits<std::int32_t>::max(), true},
      {tiny, 9901, true},
      {tiny, std::numeric_limits<std::int32_t>::max(), true},
      {one, -4951, false},
      {largest, -9901, false},
      {one, std::numeric_limits<std::int32_t>::min(), false},
      {largest, std::numeric_limits<std::int32_t>::min(), false},
  };
  for (const Row& row : rows) {
    const Raised raised = RaisedBy([&] {
      const Extended result = ScaleByPowerOfTen(row.x, row.n);
      EXPECT_TRUE(IsZero(result)) << row.n;
      EXPECT_FALSE(IsSignNegative(result));
    });
    EXPECT_EQ(raised.kind, row.overflows ? "EOverflow" : "") << row.n;
  }
  // The smallest subnormal survives as itself just inside the tables.
  ExpectScaledLikeModel(ExactOf(tiny), 9880);
  ExpectScaledLikeModel(ExactOf(largest), -9880);
}

TEST(ScaleByPowerOfTenTest, ZeroAndInfinityKeepTheirValueAndSign) {
  for (std::int32_t n :
       {0, 1, -1, 5000, -5000, 5120, -5120, 1 << 30, -(1 << 30)}) {
    const Extended negativeZero = ScaleByPowerOfTen(ZeroExtended(true), n);
    EXPECT_TRUE(IsZero(negativeZero) && IsSignNegative(negativeZero)) << n;
    const Extended zero = ScaleByPowerOfTen(ZeroExtended(false), n);
    EXPECT_TRUE(IsZero(zero) && !IsSignNegative(zero)) << n;
  }
  const SavedFloatControl saved = PutConversionControlInForce();
  const Extended infinity = ScaleByPowerOfTen(ExtendedFromInteger(1), 6000);
  EXPECT_TRUE(OverflowNoted());
  RestoreFloatControl(saved);
  ASSERT_TRUE(IsInfinite(infinity));
  for (std::int32_t n : {-20000, -5000, -1, 1, 5000, 20000}) {
    const Extended scaled = ScaleByPowerOfTen(infinity, n);
    EXPECT_TRUE(IsInfinite(scaled) && !IsSignNegative(scaled)) << n;
  }
}

TEST(ScaleByPowerOfTenTest, ConversionControlNotesOverflowInsteadOfRaising) {
  struct Row {
    std::int32_t n;
    bool negative;
  } rows[] = {{4933, false}, {4933, true}, {6000, false}, {1 << 30, true}};
  for (const Row& row : rows) {
    const SavedFloatControl saved = PutConversionControlInForce();
    const Extended result =
        ScaleByPowerOfTen(ExtendedFromInteger(row.negative ? -1 : 1), row.n);
    const bool noted = OverflowNoted();
    RestoreFloatControl(saved);
    EXPECT_TRUE(noted) << row.n;
    EXPECT_TRUE(IsInfinite(result)) << row.n;
    EXPECT_EQ(IsSignNegative(result), row.negative) << row.n;
    EXPECT_FALSE(OverflowNoted());
  }
  // Back under the float control, the same overflow raises.
  EXPECT_EQ(
      RaisedBy([] { ScaleByPowerOfTen(ExtendedFromInteger(1), 4933); }).kind,
      "EOverflow");
}

}  // namespace
