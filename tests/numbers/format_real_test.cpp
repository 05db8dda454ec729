// The texts of real results at the edges.

#include "numbers/format_real.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "numbers/decimal_separator.h"
#include "numbers/rounding.h"
#include "numbers_test_support.h"

namespace {

struct FormatRow {
  double value;
  const char* text;  // with "." as the separator
};

double WidenedSingle(double value) { return NarrowToSingle(value); }

std::string WithSeparator(std::string text, char separator) {
  for (char& byte : text) {
    if (byte == '.') byte = separator;
  }
  return text;
}

class FormatRealTest : public ::testing::TestWithParam<char> {
 protected:
  void SetUp() override { SetDecimalSeparator(GetParam()); }
  void TearDown() override { SetDecimalSeparator('.'); }
};

TEST_P(FormatRealTest, WritesTheEdgeCases) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double notANumber = std::numeric_limits<double>::quiet_NaN();
  const FormatRow rows[] = {
      {-777.0, "-777"},
      {7.01, "7.00999999999999979"},
      {WidenedSingle(7.01), "7.01000022888183594"},
      {-7.01, "-7.00999999999999979"},
      {13.79, "13.7899999999999992"},
      {953.7, "953.700000000000046"},
      {25.0, "25"},
      {WidenedSingle(25.3), "25.2999992370605469"},
      {100.0, "100"},
      {0.0, "0"},
      {-0.0, "0"},
      {0.5, "0.5"},
      {-0.5, "-0.5"},
      {0.05, "0.0500000000000000028"},
      {0.1, "0.100000000000000006"},
      {0.0001, "0.000100000000000000005"},
      {0.00001, "1.00000000000000008E-5"},
      {-2.5e-7, "-2.49999999999999989E-7"},
      {123456.789, "123456.789000000004"},
      {1e17, "100000000000000000"},
      {999999999999999872.0, "999999999999999872"},
      {1e18, "1E18"},
      {1e19, "1E19"},
      {1.5e20, "1.5E20"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841246544E-324"},
      {std::numeric_limits<double>::max(), "1.79769313486231571E308"},
      {infinity, "INF"},
      {-infinity, "-INF"},
      {notANumber, "NAN"},
      {-notANumber, "NAN"},
      // Around the boundaries of the plain notation.
      {0.001, "0.00100000000000000002"},
      {1.0, "1"},
      {10.0, "10"},
      {123.0, "123"},
      {1e100, "1.00000000000000002E100"},
      {-1e-100, "-1.00000000000000002E-100"},
  };
  for (const FormatRow& row : rows) {
    EXPECT_EQ(View(FormatReal(row.value)), WithSeparator(row.text, GetParam()))
        << row.text;
  }
}

INSTANTIATE_TEST_SUITE_P(Separators, FormatRealTest,
                         ::testing::Values('.', ','), [](const auto& info) {
                           return info.param == '.' ? "Point" : "Comma";
                         });

}  // namespace
