// Roundings to integers, to single and to double precision.

#include "numbers/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numbers/parse_argument.h"
#include "numbers_test_support.h"

namespace {

// A reading times its factor, formed at double-extended as the driver forms it.
Extended ScaledReading(double reading, double factor) {
  return MultiplyExtended(ExtendedFromDouble(reading),
                          ExtendedFromDouble(factor));
}

TEST(RoundToIntegerTest, RoundsToNearestWithTiesToEven) {
  struct Row {
    Extended operand;
    std::int64_t result;
    std::int32_t low32;
  } rows[] = {
      {ExtendedFromDouble(0.5), 0, 0},
      {ExtendedFromDouble(-0.5), 0, 0},
      {ExtendedFromDouble(-0.0), 0, 0},
      {ExtendedFromDouble(1.5), 2, 2},
      {ExtendedFromDouble(2.5), 2, 2},
      {ExtendedFromDouble(3.5), 4, 4},
      {ExtendedFromDouble(-1.5), -2, -2},
      {ExtendedFromDouble(-2.5), -2, -2},
      {ExtendedFromDouble(2.4999999), 2, 2},
      {ExtendedFromDouble(11.0), 11, 11},
      {ExtendedFromDouble(4294967296.0), 4294967296, 0},
      {ExtendedFromDouble(4294967297.0), 4294967297, 1},
      {ExtendedFromDouble(2147483648.0), 2147483648, -2147483647 - 1},
      {ExtendedFromDouble(9.2e18), 9200000000000000000, -1650982912},
      {ExtendedFromDouble(-9223372036854775808.0),
       std::numeric_limits<std::int64_t>::min(), 0},
      {ScaledReading(7.015, 100), 701, 701},
      {ScaledReading(0.005, 100), 1, 1},
      // The ends of the range; -2^63 + 0.5 is a tie that goes to -2^63.
      {ExtendedFromParts({false, (std::uint64_t{1} << 63) - 1, 0}),
       std::numeric_limits<std::int64_t>::max(), -1},
      {ExtendedFromParts({true, ~std::uint64_t{0}, -1}),
       std::numeric_limits<std::int64_t>::min(), 0},
  };
  for (const Row& row : rows) {
    std::int64_t result = 0;
    const Raised raised =
        RaisedBy([&] { result = RoundToInteger(row.operand); });
    ASSERT_EQ(raised.kind, "") << row.result;
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(Low32Bits(result), row.low32) << row.result;
  }
}

TEST(RoundToIntegerTest, OutsideTheRangeIsAnInvalidOperation) {
  const Extended operands[] = {
      ExtendedFromDouble(ParseArgument("9223372036854775807")),  // 2^63
      ExtendedFromDouble(1e19),
      ExtendedFromDouble(1e30),
      ExtendedFromDouble(-1e19),
      ScaledReading(1e17, 100),
      // 2^63 - 0.5 is a tie that goes to 2^63; -2^63 - 1.
      ExtendedFromParts({false, ~std::uint64_t{0}, -1}),
      ExtendedFromParts({true, (std::uint64_t{1} << 63) | 1, 0}),
      ExtendedFromDouble(std::numeric_limits<double>::infinity()),
      ExtendedFromDouble(-std::numeric_limits<double>::infinity()),
      ExtendedFromDouble(std::numeric_limits<double>::quiet_NaN()),
  };
  for (const Extended& operand : operands) {
    const Raised raised = RaisedBy([&] { RoundToInteger(operand); });
    EXPECT_EQ(raised.kind, "EInvalidOp");
    EXPECT_EQ(raised.message, kInvalidOpMessage);
  }
}

TEST(NarrowToSingleTest, RoundsToNearestSingle) {
  struct Row {
    double operand;
    float result;
  } rows[] = {
      {7.01, 7.0100002288818359375f},
      {25.3, 25.299999237060546875f},
      {-777.0, -777.0f},
      {3.4028234663852886e38, std::numeric_limits<float>::max()},
      // Just below 2^128 - 2^103 still rounds down to the largest single.
      {std::nextafter(0x1.ffffffp+127, 0.0), std::numeric_limits<float>::max()},
      {-std::nextafter(0x1.ffffffp+127, 0.0),
       -std::numeric_limits<float>::max()},
      {1e-40, 9.99994610111475958e-41f},
      {1e-46, 0.0f},
      {-1e-46, -0.0f},
  };
  for (const Row& row : rows) {
    float result = 0;
    const Raised raised =
        RaisedBy([&] { result = NarrowToSingle(row.operand); });
    ASSERT_EQ(raised.kind, "") << row.operand;
    EXPECT_EQ(result, row.result) << row.operand;
    EXPECT_EQ(std::signbit(result), std::signbit(row.result)) << row.operand;
  }
  EXPECT_TRUE(
      std::isnan(NarrowToSingle(std::numeric_limits<double>::quiet_NaN())));
}

TEST(NarrowToSingleTest, BeyondTheSingleRangeOverflows) {
  for (double operand : {3.4028235677973366e38, -3.4028235677973366e38, 1e39,
                         1e300, std::numeric_limits<double>::infinity()}) {
    const Raised raised = RaisedBy([&] { NarrowToSingle(operand); });
    EXPECT_EQ(raised.kind, "EOverflow") << operand;
    EXPECT_EQ(raised.message, kOverflowMessage);
  }
}

TEST(RoundToDoubleTest, OverflowsFromTwoToThe1024LessTwoToThe970) {
  const Extended threshold =
      ExtendedFromParts({false, 0xFFFFFFFFFFFFFC00u, 960});
  const Extended justBelow =
      ExtendedFromParts({false, 0xFFFFFFFFFFFFFBFFu, 960});
  EXPECT_EQ(RoundToDouble(justBelow), std::numeric_limits<double>::max());
  EXPECT_EQ(RoundToDouble(NegateExtended(justBelow)),
            -std::numeric_limits<double>::max());
  for (const Extended& operand :
       {threshold, NegateExtended(threshold), LargestExtended()}) {
    const Raised raised = RaisedBy([&] { RoundToDouble(operand); });
    EXPECT_EQ(raised.kind, "EOverflow");
    EXPECT_EQ(raised.message, kOverflowMessage);
  }
}

TEST(RoundToDoubleTest, BelowTheNormalRangeBecomesSubnormalOrZero) {
  struct Row {
    ExtendedParts operand;
    double result;
  } rows[] = {
      {{false, std::uint64_t{1} << 63, -1074 - 63}, 0x1p-1074},
      {{false, std::uint64_t{3} << 62, -1074 - 63}, 0x1p-1073},  // 1.5 ulp: up
      {{false, std::uint64_t{5} << 61, -1074 - 63}, 0x1p-1074},  // 1.25 ulp
      {{false, std::uint64_t{1} << 63, -1075 - 63}, 0.0},        // tie to even
      {{true, std::uint64_t{1} << 63, -1075 - 63}, -0.0},
      {{false, std::uint64_t{3} << 62, -1075 - 63},
       0x1p-1074},  // above the tie
  };
  for (const Row& row : rows) {
    const double result = RoundToDouble(ExtendedFromParts(row.operand));
    EXPECT_EQ(BitsOf(result), BitsOf(row.result)) << row.result;
  }
}

}  // namespace
