// Reading command-line numbers, with either separator.

#include "numbers/parse_argument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numbers/decimal_separator.h"
#include "numbers/rounding.h"
#include "numbers_test_support.h"

namespace {

enum class Outcome { kValue, kConvertError, kOverflow };

struct ArgumentRow {
  std::string text;  // written with "," as the separator
  Outcome outcome;
  double value;
};

// The rows hold for "," as the separator; with "." the two swap roles.
std::string Swapped(std::string text) {
  for (char& byte : text) {
    if (byte == ',') {
      byte = '.';
    } else if (byte == '.') {
      byte = ',';
    }
  }
  return text;
}

const ArgumentRow kRows[] = {
    {"1", Outcome::kValue, 1.0},
    {"1,5", Outcome::kValue, 1.5},
    {" 1,5 ", Outcome::kValue, 1.5},
    {"   1,5", Outcome::kValue, 1.5},
    {"1.5", Outcome::kConvertError, 0},
    {"+3", Outcome::kValue, 3.0},
    {"-2", Outcome::kValue, -2.0},
    {"-0", Outcome::kValue, -0.0},
    {",", Outcome::kValue, 0.0},
    {",5", Outcome::kValue, 0.5},
    {"5,", Outcome::kValue, 5.0},
    {"-", Outcome::kConvertError, 0},
    {"+", Outcome::kConvertError, 0},
    {"", Outcome::kConvertError, 0},
    {" ", Outcome::kConvertError, 0},
    {"+-1", Outcome::kConvertError, 0},
    {"- 1", Outcome::kConvertError, 0},
    {"1e3", Outcome::kValue, 1000.0},
    {"1E3", Outcome::kValue, 1000.0},
    {"1,5e1", Outcome::kValue, 15.0},
    {"1e", Outcome::kValue, 1.0},
    {"1e+", Outcome::kValue, 1.0},
    {"1e-", Outcome::kValue, 1.0},
    {"1e-2", Outcome::kValue, 0.01},
    {"1e 3", Outcome::kConvertError, 0},
    {"e5", Outcome::kConvertError, 0},
    {",e5", Outcome::kValue, 0.0},
    {"1 000", Outcome::kConvertError, 0},
    {"1.000,5", Outcome::kConvertError, 0},
    {"1,2,3", Outcome::kConvertError, 0},
    {"\t5", Outcome::kConvertError, 0},
    {"5\t", Outcome::kConvertError, 0},
    {"0x10", Outcome::kConvertError, 0},
    {"INF", Outcome::kConvertError, 0},
    {"NAN", Outcome::kConvertError, 0},
    {"0000000000000000000000000000001", Outcome::kValue, 1.0},
    {"83e25", Outcome::kValue, 8.300000000000001e26},
    {"1e308", Outcome::kValue, 1e308},
    {"1e309", Outcome::kOverflow, 0},
    {"1e400", Outcome::kOverflow, 0},
    {"1e0600", Outcome::kOverflow, 0},
    {"1e4932", Outcome::kOverflow, 0},
    {"-1e4932", Outcome::kOverflow, 0},
    {"2e4932", Outcome::kConvertError, 0},
    {"1e4999", Outcome::kConvertError, 0},
    {"1e5000", Outcome::kConvertError, 0},
    {"1e-5000", Outcome::kConvertError, 0},
    {"1e-400", Outcome::kValue, 0.0},
    {"1e-4999", Outcome::kValue, 0.0},
    {"-1e-4999", Outcome::kValue, -0.0},
    {"1e-320", Outcome::kValue, 1e-320},
    // Between the largest double and 2^1024 - 2^970: rounded down to it.
    {"17976931348623158e292", Outcome::kValue, 1.7976931348623157e308},
    {"17976931348623159e292", Outcome::kOverflow, 0},
    // The exponent's digits stop at 500 or more; what follows is left over.
    {"1e0000000000000000000000000000000000000499", Outcome::kOverflow, 0},
    {"1e-0499", Outcome::kValue, 0.0},
    {"10e-1", Outcome::kValue, 1.0},
};

class ParseArgumentTest : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override { SetDecimalSeparator(GetParam()); }
  void TearDown() override { SetDecimalSeparator('.'); }
};

void ExpectRead(const std::string& fullText, Outcome outcome, double value) {
  // Long texts are shown by their beginning; the message keeps what fits.
  const std::string text = fullText.substr(0, 80);
  const std::string expectedMessage =
      ConvertErrorMessage(fullText).substr(0, kFailureMessageCapacity - 1);
  double result = 0;
  const Raised raised = RaisedBy([&] { result = ParseArgument(fullText); });
  switch (outcome) {
    case Outcome::kValue:
      EXPECT_EQ(raised.kind, "") << text;
      EXPECT_EQ(BitsOf(result), BitsOf(value)) << text << " gave " << result;
      break;
    case Outcome::kConvertError:
      EXPECT_EQ(raised.kind, "EConvertError") << text;
      EXPECT_TRUE(raised.message == expectedMessage)
          << raised.message.substr(0, 80);
      break;
    case Outcome::kOverflow:
      EXPECT_EQ(raised.kind, "EOverflow") << text;
      EXPECT_EQ(raised.message, kOverflowMessage);
      break;
  }
}

TEST_P(ParseArgumentTest, ReadsTheEdgeCases) {
  for (const ArgumentRow& row : kRows) {
    ExpectRead(GetParam() == ',' ? row.text : Swapped(row.text), row.outcome,
               row.value);
  }
}

TEST_P(ParseArgumentTest, LeavesTheFloatControlAsItFoundIt) {
  // A rejected overflow must not leave the conversion control behind: the
  // next overflow raises again.
  ExpectRead("2e4932", Outcome::kConvertError, 0);
  EXPECT_FALSE(OverflowNoted());
  EXPECT_EQ(RaisedBy([] {
              MultiplyExtended(LargestExtended(), ExtendedFromInteger(2));
            }).kind,
            "EOverflow");
}

TEST_P(ParseArgumentTest, ArgumentsOfAnyLength) {
  const char separator = GetParam();
  const std::size_t kLong =
      131000;  // about the longest argument a process gets
  struct Row {
    std::string text;
    Outcome outcome;
    double value;
  } rows[] = {
      {std::string(kLong, '0') + "1", Outcome::kValue, 1.0},
      {std::string(kLong, '9'), Outcome::kConvertError, 0},
      {separator + std::string(kLong, '0') + "1", Outcome::kValue, 0.0},
      {separator + std::string(kLong, '0') + "1e499", Outcome::kValue, 0.0},
      {std::string(kLong, '0') + separator + std::string(kLong, '0'),
       Outcome::kValue, 0.0},
      // Fraction digits are gathered like the others: enough of them
      // overflow the accumulator even when the value is small.
      {"1" + (separator + std::string(5000, '0')), Outcome::kConvertError, 0},
      {std::string(kLong, ' ') + "7" + std::string(kLong, ' '), Outcome::kValue,
       7.0},
      {std::string(kLong, '1') + "x", Outcome::kConvertError, 0},
  };
  for (const Row& row : rows) ExpectRead(row.text, row.outcome, row.value);
}

TEST_P(ParseArgumentTest, TextEndsAtItsFirstZeroByte) {
  ExpectRead(std::string("12\0x", 4), Outcome::kValue, 12.0);
  double result = 0;
  const Raised raised = RaisedBy([&] {
    result =
        ParseArgument(std::string("x\0"
                                  "1",
                                  3));
  });
  EXPECT_EQ(raised.kind, "EConvertError");
  EXPECT_EQ(raised.message, ConvertErrorMessage("x"));
}

TEST_P(ParseArgumentTest, NegativeZeroRoundsToIntegerZero) {
  const double negativeZero = ParseArgument("-0");
  EXPECT_TRUE(std::signbit(negativeZero));
  EXPECT_EQ(RoundToInteger(ExtendedFromDouble(negativeZero)), 0);
}

INSTANTIATE_TEST_SUITE_P(Separators, ParseArgumentTest,
                         ::testing::Values(',', '.'), [](const auto& info) {
                           return info.param == '.' ? "Point" : "Comma";
                         });

}  // namespace
