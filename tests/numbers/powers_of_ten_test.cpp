// Every table entry must be the double-extended value nearest to its exact
// power of ten.

#include "numbers/powers_of_ten.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "numbers_test_support.h"

namespace {

void ExpectNearest(Extended entry, std::uint32_t exponent) {
  const exact::Value nearest = exact::NearestPowerOfTen(exponent);
  const exact::Value actual = ExactOf(entry);
  EXPECT_TRUE(SameValue(actual, nearest))
      << "1e" << exponent << ": significand " << std::hex << actual.significand
      << " expected " << nearest.significand << std::dec << ", exponent "
      << actual.exponent << " expected " << nearest.exponent;
}

TEST(PowersOfTenTest, SmallTableHoldsNearestValuesOfOneToTenToThe31) {
  for (std::int32_t k = 0; k < kSmallPowerCount; ++k) {
    ExpectNearest(SmallPowerOfTen(k), static_cast<std::uint32_t>(k));
  }
}

TEST(PowersOfTenTest, MediumTableHoldsNearestValuesInStepsOf32) {
  for (std::int32_t j = 1; j <= kMediumPowerCount; ++j) {
    ExpectNearest(MediumPowerOfTen(j), static_cast<std::uint32_t>(32 * j));
  }
}

TEST(PowersOfTenTest, LargeTableHoldsNearestValuesInStepsOf512) {
  for (std::int32_t j = 1; j <= kLargePowerCount; ++j) {
    ExpectNearest(LargePowerOfTen(j), static_cast<std::uint32_t>(512 * j));
  }
}

TEST(PowersOfTenTest, PowersUpTo27AreExact) {
  for (std::uint32_t k = 0; k <= 27; ++k) {
    const exact::Value entry =
        ExactOf(SmallPowerOfTen(static_cast<std::int32_t>(k)));
    // significand x 2^exponent == 10^k, with the power of two moved to the
    // side where it is a whole number.
    const exact::Natural significand = exact::FromUnsigned(entry.significand);
    const exact::Natural power = exact::Power(10, k);
    const auto shift = static_cast<std::uint64_t>(std::abs(entry.exponent));
    const int comparison =
        entry.exponent >= 0
            ? exact::Compare(exact::ShiftLeft(significand, shift), power)
            : exact::Compare(significand, exact::ShiftLeft(power, shift));
    EXPECT_EQ(comparison, 0) << "1e" << k;
  }
}

}  // namespace
