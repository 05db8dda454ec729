// Which name reaches CreateFileA for a port name.

#include "platform/win32/port_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PortNameCase {
  std::string portName;
  std::string deviceName;
};

TEST(DeviceNameForPortName, DosDeviceNamesGetThePrefixAndLoseTheColon) {
  const PortNameCase cases[] = {
      {"com2:", "\\\\.\\com2"},  // the name the meter query uses
      {"Com1:", "\\\\.\\Com1"},  // the serial link's initial name
      {"COM2", "\\\\.\\COM2"},
      {"COM10", "\\\\.\\COM10"},  // reachable only through the prefix
      {"com256:", "\\\\.\\com256"},
      {"lpt1:", "\\\\.\\lpt1"},
  };
  for (const PortNameCase& c : cases) {
    SCOPED_TRACE(c.portName);
    EXPECT_EQ(DeviceNameForPortName(c.portName), c.deviceName);
  }
}

TEST(DeviceNameForPortName, OtherNamesAreHandedOverAsTheyAre) {
  const std::string names[] = {
      "\\\\.\\COM3",       // already a device path
      "C:\\ports\\meter",  // a path
      "com",               // no number
      "com2::",            // more than one colon
      "2:",                // no letters
      "com2x",             // letters after the number
      "",
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DeviceNameForPortName(name), name);
  }
}

}  // namespace
