// The software double-extended type on its own, where no x87 unit is there
// to compare with: the roundings at the hard places, written as encodings
// (sign and biased exponent : significand) of what the x87 gives.

#include "numbers/soft_extended/soft_extended.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace {

namespace soft = soft_extended;
using soft::Value;

constexpr std::uint64_t kTop = std::uint64_t{1} << 63;

// 1 is 3FFF:8000000000000000; each step of the exponent field doubles.
constexpr Value kOne{kTop, 0x3FFF};
constexpr Value kHalf{kTop, 0x3FFE};
constexpr Value kTwo{kTop, 0x4000};
constexpr Value kThree{0xC000000000000000, 0x4000};
constexpr Value kSmallestNormal{kTop, 0x0001};
constexpr Value kSmallestSubnormal{1, 0x0000};
constexpr Value kLargest{~std::uint64_t{0}, 0x7FFE};
constexpr Value kInfinity{kTop, 0x7FFF};
constexpr Value kMinusInfinity{kTop, 0xFFFF};
constexpr Value kZero{0, 0x0000};
constexpr Value kMinusZero{0, 0x8000};
constexpr Value kDefaultNaN{0xC000000000000000, 0xFFFF};
constexpr Value kQuietNaN{0xC000000000000123, 0x7FFF};
constexpr Value kSignallingNaN{0x8000000000000456, 0x7FFF};

Value Negative(Value a) { return soft::Negate(a); }

std::string Shown(Value a) {
  char text[32];
  std::snprintf(text, sizeof text, "%04X:%016llX", a.signAndExponent,
                static_cast<unsigned long long>(a.significand));
  return text;
}

struct BinaryCase {
  const char* what;
  Value (*operation)(Value, Value);
  Value a;
  Value b;
  Value expected;
};

const BinaryCase kBinaryCases[] = {
    // Ties at the 64th bit go to the even neighbour.
    {"1 + 2^-64 (tie, down)", soft::Add, kOne, {kTop, 0x3FBF}, kOne},
    {"(1 + 2^-63) + 2^-64 (tie, up)",
     soft::Add,
     {kTop | 1, 0x3FFF},
     {kTop, 0x3FBF},
     {kTop | 2, 0x3FFF}},
    {"1 + 3 x 2^-65 (above half)",
     soft::Add,
     kOne,
     {0xC000000000000000, 0x3FBF},
     {kTop | 1, 0x3FFF}},
    {"1 - 2^-64 is exact below 1",
     soft::Add,
     kOne,
     {kTop, 0xBFBF},
     {~std::uint64_t{0}, 0x3FFE}},
    {"1 - 2^-65 ties to the even 1", soft::Add, kOne, {kTop, 0xBFBE}, kOne},
    {"carry into a new bit", soft::Add, kLargest, {kTop, 0x7FBE}, kInfinity},
    {"largest + largest overflows", soft::Add, kLargest, kLargest, kInfinity},
    {"x - x is +0", soft::Add, kThree, Negative(kThree), kZero},
    {"-0 + -0 is -0", soft::Add, kMinusZero, kMinusZero, kMinusZero},
    {"-0 + +0 is +0", soft::Add, kMinusZero, kZero, kZero},
    {"subnormals add exactly",
     soft::Add,
     kSmallestSubnormal,
     kSmallestSubnormal,
     {2, 0x0000}},
    {"subnormal sum reaches the normal range",
     soft::Add,
     {kTop - 1, 0x0000},
     kSmallestSubnormal,
     kSmallestNormal},
    {"infinity - infinity is invalid", soft::Add, kInfinity, kMinusInfinity,
     kDefaultNaN},

    {"3 x 3", soft::Multiply, kThree, kThree, {0x9000000000000000, 0x4002}},
    {"smallest normal / 2 is an exact subnormal",
     soft::Multiply,
     kSmallestNormal,
     kHalf,
     {kTop >> 1, 0x0000}},
    {"smallest subnormal / 2 ties to zero", soft::Multiply, kSmallestSubnormal,
     kHalf, kZero},
    {"3 x smallest subnormal / 2 ties to 2",
     soft::Multiply,
     {3, 0x0000},
     kHalf,
     {2, 0x0000}},
    {"smallest subnormal x 0.75 rounds up",
     soft::Multiply,
     kSmallestSubnormal,
     {0xC000000000000000, 0x3FFE},
     kSmallestSubnormal},
    {"-subnormal x tiny is -0", soft::Multiply, Negative(kSmallestSubnormal),
     kSmallestNormal, kMinusZero},
    {"largest x 2 overflows", soft::Multiply, kLargest, kTwo, kInfinity},
    {"0 x infinity is invalid", soft::Multiply, kZero, kInfinity, kDefaultNaN},
    {"(2^64 - 1)^2 = 2^128 - 2^65 + 1 drops its low half",
     soft::Multiply,
     {~std::uint64_t{0}, 0x403E},
     {~std::uint64_t{0}, 0x403E},
     {~std::uint64_t{0} - 1, 0x407E}},

    {"1 / 3", soft::Divide, kOne, kThree, {0xAAAAAAAAAAAAAAAB, 0x3FFD}},
    {"2 / 3", soft::Divide, kTwo, kThree, {0xAAAAAAAAAAAAAAAB, 0x3FFE}},
    {"-1 / 0 is -infinity", soft::Divide, Negative(kOne), kZero,
     kMinusInfinity},
    {"0 / 0 is invalid", soft::Divide, kZero, kZero, kDefaultNaN},
    {"infinity / infinity is invalid", soft::Divide, kInfinity, kInfinity,
     kDefaultNaN},
    {"1 / -infinity is -0", soft::Divide, kOne, kMinusInfinity, kMinusZero},
    {"3 x smallest subnormal / 2 ties to 2 (division)",
     soft::Divide,
     {3, 0x0000},
     kTwo,
     {2, 0x0000}},
    {"largest / 0.5 overflows", soft::Divide, kLargest, kHalf, kInfinity},

    // Not-a-numbers: a quiet one before a signalling one, else the larger
    // significand, else the positive one; always quiet.
    {"quiet before signalling", soft::Add, kSignallingNaN, kQuietNaN,
     kQuietNaN},
    {"signalling is quieted",
     soft::Multiply,
     kOne,
     kSignallingNaN,
     {0xC000000000000456, 0x7FFF}},
    {"larger significand",
     soft::Divide,
     {0xC000000000000001, 0xFFFF},
     {0xC000000000000002, 0x7FFF},
     {0xC000000000000002, 0x7FFF}},
    {"equal significands: the positive one",
     soft::Add,
     {0xC000000000000001, 0xFFFF},
     {0xC000000000000001, 0x7FFF},
     {0xC000000000000001, 0x7FFF}},
};

TEST(SoftExtendedTest, ArithmeticRoundsOnceToNearestEven) {
  for (const BinaryCase& c : kBinaryCases) {
    const Value result = c.operation(c.a, c.b);
    EXPECT_EQ(Shown(result), Shown(c.expected)) << c.what;
    // Both operand orders give the same result.
    if (c.operation != soft::Divide) {
      EXPECT_EQ(Shown(c.operation(c.b, c.a)), Shown(c.expected)) << c.what;
    }
  }
}

struct NarrowingCase {
  const char* what;
  Value value;
  std::uint64_t doubleBits;
  std::uint32_t singleBits;
};

const NarrowingCase kNarrowingCases[] = {
    {"1", kOne, 0x3FF0000000000000, 0x3F800000},
    {"1 + 2^-53 and 1 + 2^-24: ties down",
     {kTop | (1ull << 10), 0x3FFF},
     0x3FF0000000000000,
     0x3F800000},
    {"1 + 3 x 2^-54: up to 1 + 2^-52",
     {kTop | (3ull << 9), 0x3FFF},
     0x3FF0000000000001,
     0x3F800000},
    {"1 + 2^-24 + 2^-63: above the single tie",
     {kTop | (1ull << 39) | 1, 0x3FFF},
     0x3FF0000010000000,
     0x3F800001},
    {"2^-1075 ties to zero", {kTop, 0x3BCC}, 0x0000000000000000, 0},
    {"3 x 2^-1076 rounds up to the smallest subnormal",
     {0xC000000000000000, 0x3BCC},
     0x0000000000000001,
     0},
    {"-2^-149: smallest negative single subnormal",
     {kTop, 0xBF6A},
     0xB6A0000000000000,
     0x80000001},
    {"largest double",
     {0xFFFFFFFFFFFFF800, 0x43FE},
     0x7FEFFFFFFFFFFFFF,
     0x7F800000},
    {"2^1024 - 2^970 overflows the double",
     {0xFFFFFFFFFFFFFC00, 0x43FE},
     0x7FF0000000000000,
     0x7F800000},
    {"just below it rounds down",
     {0xFFFFFFFFFFFFFBFF, 0x43FE},
     0x7FEFFFFFFFFFFFFF,
     0x7F800000},
    {"2^128 - 2^104: largest single",
     {0xFFFFFF0000000000, 0x407E},
     0x47EFFFFFE0000000,
     0x7F7FFFFF},
    {"-0", kMinusZero, 0x8000000000000000, 0x80000000},
    {"-infinity", kMinusInfinity, 0xFFF0000000000000, 0xFF800000},
    {"signalling not-a-number: quiet, high payload bits",
     {0x8000000000001000, 0x7FFF},
     0x7FF8000000000002,
     0x7FC00000},
};

TEST(SoftExtendedTest, NarrowingRoundsOnceWithSubnormals) {
  for (const NarrowingCase& c : kNarrowingCases) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(soft::ToDouble(c.value)),
              c.doubleBits)
        << c.what;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(soft::ToSingle(c.value)),
              c.singleBits)
        << c.what;
  }
}

TEST(SoftExtendedTest, WideningIsExact) {
  EXPECT_EQ(Shown(soft::FromDouble(0.1)), Shown({0xCCCCCCCCCCCCD000, 0x3FFB}));
  EXPECT_EQ(Shown(soft::FromDouble(std::bit_cast<double>(std::uint64_t{1}))),
            Shown({kTop, 0x3BCD}));  // 2^-1074 is normal here
  EXPECT_EQ(Shown(soft::FromDouble(-0.0)), Shown(kMinusZero));
  EXPECT_EQ(Shown(soft::FromDouble(
                std::bit_cast<double>(std::uint64_t{0xFFF0000000000001}))),
            Shown({0xC000000000000800, 0xFFFF}));  // quieted
  EXPECT_EQ(Shown(soft::FromInteger(std::numeric_limits<std::int64_t>::min())),
            Shown({kTop, 0xC03E}));
  EXPECT_EQ(Shown(soft::FromUnsigned(~std::uint64_t{0})),
            Shown({~std::uint64_t{0}, 0x403E}));
  EXPECT_EQ(Shown(soft::FromInteger(-3)), Shown(Negative(kThree)));
  EXPECT_EQ(Shown(soft::FromUnsigned(0)), Shown(kZero));
}

TEST(SoftExtendedTest, PartsRoundOnceLikeLdexp) {
  // 3 x 2^-16446 is 1.5 units of the smallest subnormal: a tie, to 2.
  EXPECT_EQ(Shown(soft::FromParts(false, 3, -16446)), Shown({2, 0x0000}));
  EXPECT_EQ(Shown(soft::FromParts(true, 1, 16384)), Shown(kMinusInfinity));
  EXPECT_EQ(Shown(soft::FromParts(false, 1, -2000000000)), Shown(kZero));
  EXPECT_EQ(Shown(soft::FromParts(false, 5, 2000000000)), Shown(kInfinity));
  const soft::Parts parts = soft::PartsOf({3, 0x0000});
  EXPECT_EQ(parts.significand, 0xC000000000000000u);
  EXPECT_EQ(parts.exponent, -16445 - 62);
}

TEST(SoftExtendedTest, IntegralValuesTiesToEven) {
  struct Case {
    double value;
    double nearest;
    std::int64_t integer;
  };
  const Case cases[] = {
      {0.5, 0.0, 0},
      {-0.5, -0.0, 0},
      {1.5, 2.0, 1},
      {2.5, 2.0, 2},
      {-2.5, -2.0, -2},
      {0.49999, 0, 0},
      {-3.75, -4.0, -3},
      {1e-300, 0.0, 0},
      {2251799813685249.5, 2251799813685250.0, 2251799813685249},
      {2251799813685248.5, 2251799813685248.0, 2251799813685248},
      {-9223372036854775808.0, -9223372036854775808.0,
       std::numeric_limits<std::int64_t>::min()},
  };
  for (const Case& c : cases) {
    const Value nearest = soft::NearestIntegral(soft::FromDouble(c.value));
    EXPECT_EQ(Shown(nearest), Shown(soft::FromDouble(c.nearest))) << c.value;
    EXPECT_EQ(soft::IntegralToInteger(soft::FromDouble(c.value)), c.integer)
        << c.value;
  }
  // 2^63 - 1/2 is a tie between 2^63 - 1 (odd) and 2^63.
  EXPECT_EQ(Shown(soft::NearestIntegral({~std::uint64_t{0}, 0x403D})),
            Shown({kTop, 0x403E}));
  EXPECT_EQ(soft::IntegralToUnsigned({~std::uint64_t{0}, 0x403E}),
            ~std::uint64_t{0});
  // Out of range: the integer indefinite.
  EXPECT_EQ(soft::IntegralToInteger(kInfinity),
            std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(soft::IntegralToInteger(kQuietNaN),
            std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(soft::IntegralToInteger({kTop, 0x403E}),
            std::numeric_limits<std::int64_t>::min());
}

TEST(SoftExtendedTest, ComparisonsAreUnorderedForNotANumbers) {
  EXPECT_TRUE(soft::Equal(kZero, kMinusZero));
  EXPECT_FALSE(soft::LessThan(kMinusZero, kZero));
  EXPECT_TRUE(soft::LessThan(Negative(kOne), kSmallestSubnormal));
  EXPECT_TRUE(soft::LessThan(kMinusInfinity, Negative(kLargest)));
  EXPECT_TRUE(
      soft::LessThan({~std::uint64_t{0} >> 1, 0x0000}, kSmallestNormal));
  EXPECT_TRUE(soft::LessThan(Negative(kTwo), Negative(kOne)));
  EXPECT_FALSE(soft::LessThan(kQuietNaN, kOne));
  EXPECT_FALSE(soft::LessThan(kOne, kQuietNaN));
  EXPECT_FALSE(soft::Equal(kQuietNaN, kQuietNaN));
  EXPECT_TRUE(soft::IsNotANumber(kSignallingNaN));
  EXPECT_FALSE(soft::IsInfinite(kQuietNaN));
  EXPECT_TRUE(soft::IsSignNegative(kMinusZero));
}

}  // namespace
