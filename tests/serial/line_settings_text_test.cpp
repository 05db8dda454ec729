#include "ucommw32/line_settings_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SettingsCase {
  std::string text;
  bool readable;
  LineSettings expected;  // what is named; ignored when not readable
};

const SettingsCase kCases[] = {
    // The two texts the system uses, with their own NUL.
    {std::string("baud=9600 parity=n data=8 stop=1 \0", 34),
     true,
     {9600, Parity::None, 8, StopBits::One}},
    {std::string("baud=1200 parity=e data=7 stop=1\0", 33),
     true,
     {1200, Parity::Even, 7, StopBits::One}},
    // What follows the NUL is not part of the settings.
    {std::string("baud=4800\0parity=x", 18), true, {4800, {}, {}, {}}},
    // Any case, any order, blanks and tabs anywhere between words.
    {"  STOP=2\tData=6  Parity=O BAUD=19200 ",
     true,
     {19200, Parity::Odd, 6, StopBits::Two}},
    {"parity=m", true, {{}, Parity::Mark, {}, {}}},
    {"parity=S", true, {{}, Parity::Space, {}, {}}},
    {"data=5 stop=1.5", true, {{}, {}, 5, StopBits::OneAndHalf}},
    // A later word overrides an earlier one.
    {"baud=300 baud=600", true, {600, {}, {}, {}}},
    // Short forms of the speed.
    {"baud=11", true, {110, {}, {}, {}}},
    {"baud=15", true, {150, {}, {}, {}}},
    {"baud=30", true, {300, {}, {}, {}}},
    {"baud=60", true, {600, {}, {}, {}}},
    {"baud=12", true, {1200, {}, {}, {}}},
    {"baud=24", true, {2400, {}, {}, {}}},
    {"baud=48", true, {4800, {}, {}, {}}},
    {"baud=96", true, {9600, {}, {}, {}}},
    {"baud=19", true, {19200, {}, {}, {}}},
    {"baud=115200", true, {115200, {}, {}, {}}},
    // Names nothing: nothing changes.
    {"", true, {}},
    {std::string("\0baud=x", 7), true, {}},
    // Not readable.
    {"baud=", false, {}},
    {"baud=0", false, {}},
    {"baud=96OO", false, {}},
    {"baud=-9600", false, {}},
    {"baud=1234567890", false, {}},
    {"parity=x", false, {}},
    {"parity=none", false, {}},
    {"data=4", false, {}},
    {"data=9", false, {}},
    {"data=88", false, {}},
    {"stop=0", false, {}},
    {"stop=1.0", false, {}},
    {"stop=3", false, {}},
    {"baud = 9600", false, {}},
    {"baud=9600,parity=n", false, {}},
    {"xon=on", false, {}},
    {"9600", false, {}},
    {"baud=9600 parity=n data=8 stop=1 bogus", false, {}},
};

TEST(LineSettingsText, ReadsTheNamedSettings) {
  for (const SettingsCase& c : kCases) {
    SCOPED_TRACE("text: '" + c.text + "'");
    // Something already named stays when the text cannot be read.
    LineSettings settings;
    settings.baudRate = 50;
    ASSERT_EQ(ParseLineSettings(c.text, settings), c.readable);
    if (!c.readable) {
      EXPECT_EQ(settings.baudRate, 50u);
      EXPECT_FALSE(settings.parity || settings.dataBits || settings.stopBits);
      continue;
    }
    EXPECT_EQ(settings.baudRate,
              c.expected.baudRate ? c.expected.baudRate : std::optional(50u));
    EXPECT_EQ(settings.parity, c.expected.parity);
    EXPECT_EQ(settings.dataBits, c.expected.dataBits);
    EXPECT_EQ(settings.stopBits, c.expected.stopBits);
  }
}

}  // namespace
