// The failure report's exact bytes, and what a raise records.

#include <gtest/gtest.h>

#include <string>

#include "main/failure.h"

namespace {

Failure MakeFailure(const char* kind, const std::string& message,
                    std::uint32_t location) {
  Failure failure{};
  failure.kindName = kind;
  std::snprintf(failure.message, sizeof failure.message, "%s", message.c_str());
  failure.location = location;
  return failure;
}

std::string Compose(const Failure& failure, const char* module = "phm210") {
  static char report[kFailureReportCapacity + 1];
  const std::size_t length = ComposeFailureReport(failure, module, report);
  EXPECT_EQ(length, std::string(report).size());
  return std::string(report, length);
}

TEST(FailureReport, LayoutAndClosingPeriodRule) {
  struct Case {
    std::string message;
    std::string secondLine;
  };
  const Case cases[] = {
      {"D\xE9"
       "bordement en virgule flottante",
       "D\xE9"
       "bordement en virgule flottante."},
      {"ends with a period.", "ends with a period."},
      {"", ""},
      {"100% sure", "100% sure."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compose(MakeFailure("EOverflow", c.message, 0x1A2B)),
              "Exception EOverflow dans le module phm210 \xE0 00001A2B.\n" +
                  c.secondLine);
  }
}

TEST(FailureReport, CutAfter1023Bytes) {
  const std::string argument(2000, 'k');
  std::string text;
  try {
    RaiseConvertError(argument);
  } catch (const Failure& failure) {
    text = Compose(failure);
  }
  ASSERT_EQ(text.size(), 1023u);
  const std::string firstLineEnd = ".\n'";
  EXPECT_NE(text.find(firstLineEnd), std::string::npos);
  EXPECT_EQ(text.back(), 'k');  // cut inside the quoted argument, no period
}

TEST(FailureReport, ConvertErrorQuotesTheArgumentAsReceived) {
  try {
    RaiseConvertError(" 1.5 ");
    FAIL() << "no failure raised";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.kindName, "EConvertError");
    EXPECT_STREQ(failure.message,
                 "' 1.5 ' n'est pas une valeur en virgule flottante correcte");
  }
}

TEST(FailureReport, MessagesAreWindows1252) {
  struct Case {
    void (*raise)();
    const char* kind;
    const char* message;
  };
  const Case cases[] = {
      {RaiseOverflow, "EOverflow",
       "D\xE9"
       "bordement en virgule flottante"},
      {RaiseInvalidOp, "EInvalidOp",
       "Op\xE9"
       "ration en virgule flottante incorrecte"},
      {RaiseZeroDivide, "EZeroDivide",
       "Division par z\xE9"
       "ro en virgule flottante"},
      {RaiseOutOfMemory, "EOutOfMemory",
       "M\xE9"
       "moire insuffisante"},
  };
  for (const Case& c : cases) {
    try {
      c.raise();
      FAIL() << "no failure raised";
    } catch (const Failure& failure) {
      EXPECT_STREQ(failure.kindName, c.kind);
      EXPECT_STREQ(failure.message, c.message);
    }
  }
}

std::uint32_t LocationOfRaiseSiteA() {
  try {
    RaiseConvertError("a");
  } catch (const Failure& failure) {
    return failure.location;
  }
  return 0;
}

std::uint32_t LocationOfRaiseSiteB() {
  try {
    RaiseConvertError("b");
  } catch (const Failure& failure) {
    return failure.location;
  }
  return 0;
}

TEST(FailureReport, LocationIdentifiesTheRaiseSite) {
  EXPECT_EQ(LocationOfRaiseSiteA(), LocationOfRaiseSiteA());
  EXPECT_NE(LocationOfRaiseSiteA(), LocationOfRaiseSiteB());
}

}  // namespace
