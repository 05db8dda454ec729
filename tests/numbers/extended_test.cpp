// The double-extended operations: their roundings under the setting put in
// force at start-up, whatever was in force before, and the failures found by
// checking operands and results.

#include "numbers/extended.h"

#include <gtest/gtest.h>

#if defined(__x86_64__) || defined(__i386__)
#include <fpu_control.h>
#include <xmmintrin.h>
#endif

#include <cfenv>
#include <limits>

#include "numbers/rounding.h"
#include "numbers_test_support.h"

namespace {

Extended PowerOfTwo(std::int32_t exponent) {
  return ExtendedFromParts({false, std::uint64_t{1} << 63, exponent - 63});
}

// 1 + 2^-63 needs all 64 significand bits; 1 + 2^-64 is a tie that goes to
// the even 1, and 1 + 3 x 2^-65 rounds up to 1 + 2^-63.
void ExpectSixtyFourBitRoundingToNearest() {
  const Extended one = ExtendedFromInteger(1);
  EXPECT_FALSE(Equal(AddExtended(one, PowerOfTwo(-63)), one));
  EXPECT_TRUE(Equal(AddExtended(one, PowerOfTwo(-64)), one));
  const Extended threeTimesTwoToMinus65 =
      ExtendedFromParts({false, std::uint64_t{3} << 62, -65 - 62});
  EXPECT_TRUE(Equal(AddExtended(one, threeTimesTwoToMinus65),
                    AddExtended(one, PowerOfTwo(-63))));
  EXPECT_EQ(RoundToInteger(ExtendedFromDouble(2.5)), 2);
  EXPECT_EQ(RoundToInteger(ExtendedFromDouble(-3.5)), -4);
  EXPECT_EQ(NarrowToSingle(1e-40), 9.99994610111475958e-41f);
}

TEST(FloatControlTest, StartUpSettingOverridesWhatTheProcessInherited) {
  // Rounding upwards; on x86 also double precision on the x87 unit and
  // flush-to-zero on the SSE unit: none of it may survive start-up.
#if defined(__x86_64__) || defined(__i386__)
  fpu_control_t doublePrecisionUpwards = 0x027F | _FPU_RC_UP;
  _FPU_SETCW(doublePrecisionUpwards);
  _mm_setcsr(_mm_getcsr() | 0x8040u);
#endif
  std::fesetround(FE_UPWARD);

  PutFloatControlInForce();
  ExpectSixtyFourBitRoundingToNearest();
}

TEST(ExtendedTest, OverflowRaisesUnderTheFloatControl) {
  const Extended largest = LargestExtended();
  const Extended two = ExtendedFromInteger(2);
  const Extended half = DivideExtended(ExtendedFromInteger(1), two);
  const auto overflows = {
      +[] { MultiplyExtended(LargestExtended(), ExtendedFromInteger(2)); },
      +[] { AddExtended(LargestExtended(), LargestExtended()); },
      +[] {
        DivideExtended(
            LargestExtended(),
            DivideExtended(ExtendedFromInteger(1), ExtendedFromInteger(4)));
      },
  };
  for (auto operation : overflows) {
    const Raised raised = RaisedBy(operation);
    EXPECT_EQ(raised.kind, "EOverflow");
    EXPECT_EQ(raised.message, kOverflowMessage);
  }
  // Rounding to nearest keeps a result just past the largest value finite.
  EXPECT_TRUE(
      Equal(MultiplyExtended(largest, ExtendedFromInteger(1)), largest));
  EXPECT_TRUE(
      Equal(MultiplyExtended(MultiplyExtended(largest, half), two), largest));
}

TEST(ExtendedTest, InvalidOperationsAndDivisionByZeroRaise) {
  const Extended infinity = [] {
    const SavedFloatControl saved = PutConversionControlInForce();
    const Extended result =
        MultiplyExtended(LargestExtended(), LargestExtended());
    RestoreFloatControl(saved);
    return result;
  }();
  ASSERT_TRUE(IsInfinite(infinity));
  EXPECT_EQ(
      RaisedBy([&] { MultiplyExtended(infinity, ZeroExtended(false)); }).kind,
      "EInvalidOp");
  EXPECT_EQ(
      RaisedBy([&] { AddExtended(infinity, NegateExtended(infinity)); }).kind,
      "EInvalidOp");
  EXPECT_EQ(RaisedBy([] {
              DivideExtended(ZeroExtended(false), ZeroExtended(false));
            }).kind,
            "EInvalidOp");
  EXPECT_EQ(RaisedBy([] {
              DivideExtended(ExtendedFromInteger(1), ZeroExtended(false));
            }).kind,
            "EZeroDivide");
  // Infinity in, infinity out: no new event.
  EXPECT_EQ(RaisedBy([&] {
              MultiplyExtended(infinity, ExtendedFromInteger(2));
            }).kind,
            "");
}

TEST(ExtendedTest, UnderflowIsSilentAndGivesSubnormals) {
  const Extended smallestNormal = PowerOfTwo(kExtendedMinNormalExponent);
  const Extended subnormal =
      DivideExtended(smallestNormal, ExtendedFromInteger(8));
  EXPECT_TRUE(Equal(subnormal, PowerOfTwo(kExtendedMinNormalExponent - 3)));
  const Extended smallest = PowerOfTwo(kExtendedLowestBitExponent);
  EXPECT_TRUE(
      IsZero(DivideExtended(smallest, ExtendedFromInteger(2))));  // tie to even
  EXPECT_TRUE(
      Equal(DivideExtended(MultiplyExtended(smallest, ExtendedFromInteger(3)),
                           ExtendedFromInteger(2)),
            MultiplyExtended(smallest, ExtendedFromInteger(2))));
}

TEST(ExtendedTest, PartsRoundTrip) {
  for (double value : {1.0, -7.01, 1e300, -4.9406564584124654e-324, 0.1}) {
    const Extended x = ExtendedFromDouble(value);
    const ExtendedParts parts = PartsOfExtended(x);
    EXPECT_EQ(parts.significand >> 63, 1u) << value;
    EXPECT_EQ(parts.negative, value < 0);
    EXPECT_TRUE(Equal(ExtendedFromParts(parts), x)) << value;
  }
}

}  // namespace
