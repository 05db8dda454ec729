// Reading the number cut out of a meter reply.

#include "numbers/parse_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "numbers/decimal_separator.h"
#include "numbers/rounding.h"
#include "numbers_test_support.h"

namespace {

struct ReadingRow {
  std::string text;
  std::int32_t position;
  double value;  // the value stored as a double, when the position is 0
};

const ReadingRow kRows[] = {
    {" 7.01", 0, 7.01},
    {"7.01", 0, 7.01},
    {"07.01", 0, 7.01},
    {"12.34", 0, 12.34},
    {"-123", 0, -123},
    {" 123", 0, 123},
    {"25", 0, 25},
    {"+5", 0, 5},
    {"1e3", 0, 1000},
    {"1E-2", 0, 0.01},
    {".5", 0, 0.5},
    {"5.", 0, 5},
    {".", 0, 0},
    {"e5", 0, 0},
    {"-0", 0, -0.0},
    {std::string("7.0\0"
                 "1",
                 5),
     0, 7.0},
    {"83e25", 0, 8.300000000000001e26},
    {"1e+3", 0, 1000},
    {"", 1, 0},
    {"7,01", 2, 0},
    {"7.01 ", 5, 0},
    {"-", 2, 0},
    {"+", 2, 0},
    {" ", 2, 0},
    {"   ", 4, 0},
    {"1e", 3, 0},
    {"1e+", 4, 0},
    {"1e-", 4, 0},
    {"1e+x", 4, 0},
    {"1e5x", 4, 0},
    {"1.2.3", 4, 0},
    {"12a", 3, 0},
    {"- 7", 2, 0},
    {"+-5", 2, 0},
    {"INF", 1, 0},
    {"0x10", 2, 0},
};

TEST(ParseReadingTest, ReadsTheEdgeCases) {
  // The reply's separator is "." whatever the locale's.
  SetDecimalSeparator(',');
  for (const ReadingRow& row : kRows) {
    ParsedReading reading{};
    const Raised raised = RaisedBy([&] { reading = ParseReading(row.text); });
    ASSERT_EQ(raised.kind, "") << row.text;
    EXPECT_EQ(reading.errorPosition, row.position) << row.text;
    if (row.position == 0) {
      EXPECT_EQ(BitsOf(RoundToDouble(reading.value)), BitsOf(row.value))
          << row.text;
    }
  }
  SetDecimalSeparator('.');
}

TEST(ParseReadingTest, OverflowWhileScalingOrStoring) {
  const ParsedReading reading = ParseReading("1e400");
  EXPECT_EQ(reading.errorPosition, 0);
  const Raised stored = RaisedBy([&] { RoundToDouble(reading.value); });
  EXPECT_EQ(stored.kind, "EOverflow");
  EXPECT_EQ(stored.message, kOverflowMessage);

  const Raised scaled = RaisedBy([] { ParseReading("1e5000"); });
  EXPECT_EQ(scaled.kind, "EOverflow");
  EXPECT_EQ(scaled.message, kOverflowMessage);
}

// Exponents of any length: the value is what the exact value would give,
// never the result of an exponent that wrapped around.
TEST(ParseReadingTest, ExponentsOfAnyLength) {
  const std::string nines(40, '9');
  const std::string zeros(5000, '0');
  struct Row {
    std::string text;
    bool overflows;
    double value;
    bool onlyNear = false;  // many rounded-in digits
  } rows[] = {
      {"1e" + nines, true, 0},
      {"-1e" + nines, true, 0},
      {"1e4294967296", true, 0},            // 2^32
      {"1e4294967297", true, 0},            // 2^32 + 1
      {"1e2147483648", true, 0},            // 2^31
      {"1e18446744073709551617", true, 0},  // 2^64 + 1
      {"1e-" + nines, false, 0.0},
      {"-1e-" + nines, false, -0.0},
      {"1e-4294967296", false, 0.0},
      {"1e-18446744073709551615", false, 0.0},
      {"0e" + nines, false, 0.0},
      {"-.0e" + nines, false, -0.0},
      {"1e0000000000000000000000000000000000005", false, 1e5},
      {"0." + zeros + "1e5001", false, 1.0},
      {"0." + zeros + "1e" + nines, true, 0},
      {"1" + std::string(4000, '0') + "e-4000", false, 1.0, true},
      {"1" + zeros + "e-5000", true, 0},  // the digits alone overflow
      {zeros + "1", false, 1.0},
      {"." + std::string(200000, '0') + "1", false, 0.0},
      {std::string(5000, '9'), true, 0},
  };
  for (const Row& row : rows) {
    ParsedReading reading{};
    const Raised raised = RaisedBy([&] { reading = ParseReading(row.text); });
    const std::string shown = row.text.substr(0, 60);
    if (row.overflows) {
      EXPECT_EQ(raised.kind, "EOverflow") << shown;
      continue;
    }
    ASSERT_EQ(raised.kind, "") << shown;
    EXPECT_EQ(reading.errorPosition, 0) << shown;
    const double value = RoundToDouble(reading.value);
    if (row.onlyNear) {
      EXPECT_NEAR(value, 1.0, 1e-15) << shown;
    } else {
      EXPECT_EQ(BitsOf(value), BitsOf(row.value)) << shown;
    }
  }
}

TEST(ParseReadingTest, PositionsInLongTexts) {
  EXPECT_EQ(ParseReading(std::string(100000, ' ')).errorPosition, 100001);
  EXPECT_EQ(ParseReading(std::string(100000, '0') + "e").errorPosition, 100002);
  EXPECT_EQ(ParseReading(std::string(100000, '0') + "1x").errorPosition,
            100002);
}

// Every text of up to five characters made of digits and at most one point
// gives the double nearest to its decimal value.
TEST(ParseReadingTest, ShortTextsGiveTheNearestDouble) {
  const char alphabet[] = "0123456789.";
  std::string text;
  int checked = 0;
  for (int length = 1; length <= 5; ++length) {
    int combinations = 1;
    for (int i = 0; i < length; ++i) combinations *= 11;
    for (int code = 0; code < combinations; ++code) {
      text.clear();
      int rest = code;
      for (int i = 0; i < length; ++i, rest /= 11)
        text.push_back(alphabet[rest % 11]);
      if (std::count(text.begin(), text.end(), '.') > 1) continue;
      const ParsedReading reading = ParseReading(text);
      ASSERT_EQ(reading.errorPosition, 0) << text;
      ASSERT_EQ(RoundToDouble(reading.value),
                std::strtod(text.c_str(), nullptr))
          << text;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100000);
}

}  // namespace
