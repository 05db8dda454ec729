// The POSIX side of the serial device: which device a port name opens, and
// how line settings become termios flags.

#include "platform/posix/serial_posix.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The environment of these tests: COM2 and COM10 have devices named, COM3's
// variable is set but empty.
const char* FakeEnvironment(const char* name) {
  if (std::strcmp(name, "COM2_DEVICE") == 0) return "/tmp/meter";
  if (std::strcmp(name, "COM10_DEVICE") == 0) return "/dev/pts/7";
  if (std::strcmp(name, "COM3_DEVICE") == 0) return "";
  return nullptr;
}

struct PortNameCase {
  std::string name;
  std::string path;
};

const PortNameCase kPortNames[] = {
    {"com2:", "/tmp/meter"},
    {"COM2", "/tmp/meter"},
    {"cOm2:", "/tmp/meter"},
    {"com10", "/dev/pts/7"},
    {"com3:", "/dev/ttyS2"},  // set but empty: the default device
    {"Com1:", "/dev/ttyS0"},
    {"com999", "/dev/ttyS998"},
    // Not port names: opened as paths.
    {"com0:", "com0:"},
    {"com02:", "com02:"},
    {"com1000", "com1000"},
    {"com", "com"},
    {"com:", "com:"},
    {"com2::", "com2::"},
    {"com2x", "com2x"},
    {" com2:", " com2:"},
    {"com-1", "com-1"},
    {"\\\\.\\COM2", "\\\\.\\COM2"},
    {"/dev/ttyUSB0", "/dev/ttyUSB0"},
    {"", ""},
};

TEST(PortName, MapsComPortsAndKeepsPaths) {
  for (const PortNameCase& c : kPortNames) {
    EXPECT_EQ(DevicePathForPortName(c.name, FakeEnvironment), c.path)
        << "name: '" << c.name << "'";
  }
}

termios CookedLine() {
  termios settings{};
  settings.c_iflag = ICRNL | IXON | IXOFF | ISTRIP | INLCR | IGNCR | BRKINT;
  settings.c_oflag = OPOST | ONLCR;
  settings.c_lflag = ECHO | ECHOE | ICANON | ISIG | IEXTEN;
  settings.c_cflag = CS7 | PARENB | CSTOPB | HUPCL;
  cfsetispeed(&settings, B1200);
  cfsetospeed(&settings, B1200);
  return settings;
}

TEST(LineTermios, RawLineKeepsTheFrameSettings) {
  termios settings = CookedLine();
  MakeLineRaw(settings);
  EXPECT_EQ(settings.c_iflag &
                (ICRNL | IXON | IXOFF | ISTRIP | INLCR | IGNCR | BRKINT),
            0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB),
            CS7 | PARENB | CSTOPB);
  EXPECT_EQ(cfgetospeed(&settings), B1200);
}

struct TermiosCase {
  const char* what;
  LineSettings line;
  bool applies;
  speed_t speed;
  tcflag_t frame;  // CSIZE, PARENB, PARODD, CMSPAR, CSTOPB afterwards
};

const TermiosCase kTermiosCases[] = {
    {"nothing named", {}, true, B1200, CS7 | PARENB | CSTOPB},
    {"the meter's line",
     {9600, Parity::None, 8, StopBits::One},
     true,
     B9600,
     CS8},
    {"speed only", {19200, {}, {}, {}}, true, B19200, CS7 | PARENB | CSTOPB},
    {"odd parity",
     {{}, Parity::Odd, {}, {}},
     true,
     B1200,
     CS7 | PARENB | PARODD | CSTOPB},
    {"mark parity",
     {{}, Parity::Mark, {}, {}},
     true,
     B1200,
     CS7 | PARENB | PARODD | CMSPAR | CSTOPB},
    {"space parity",
     {{}, Parity::Space, {}, {}},
     true,
     B1200,
     CS7 | PARENB | CMSPAR | CSTOPB},
    {"six data bits", {{}, {}, 6, {}}, true, B1200, CS6 | PARENB | CSTOPB},
    {"1.5 stop bits",
     {{}, {}, 5, StopBits::OneAndHalf},
     true,
     B1200,
     CS5 | PARENB | CSTOPB},
    {"two stop bits",
     {{}, {}, 8, StopBits::Two},
     true,
     B1200,
     CS8 | PARENB | CSTOPB},
    // Refused as a whole: nothing changes.
    {"speed without constant",
     {9601, Parity::None, 8, {}},
     false,
     B1200,
     CS7 | PARENB | CSTOPB},
    {"1.5 stop bits with 7 data bits",
     {{}, {}, {}, StopBits::OneAndHalf},
     false,
     B1200,
     CS7 | PARENB | CSTOPB},
    {"two stop bits with 5 data bits",
     {{}, {}, 5, StopBits::Two},
     false,
     B1200,
     CS7 | PARENB | CSTOPB},
};

TEST(LineTermios, AppliesNamedSettingsOrNone) {
  constexpr tcflag_t kFrameFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
  for (const TermiosCase& c : kTermiosCases) {
    SCOPED_TRACE(c.what);
    termios settings = CookedLine();
    EXPECT_EQ(ApplyLineSettingsToTermios(settings, c.line), c.applies);
    EXPECT_EQ(cfgetospeed(&settings), c.speed);
    EXPECT_EQ(cfgetispeed(&settings), c.speed);
    EXPECT_EQ(settings.c_cflag & kFrameFlags, c.frame);
    EXPECT_EQ(settings.c_cflag & HUPCL, tcflag_t{HUPCL});  // not named: kept
  }
}

}  // namespace
