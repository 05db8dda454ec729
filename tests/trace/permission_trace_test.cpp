// A device that the user may not open: the trace names the group that owns
// it and the usual remedy, and the result stays that of a missing meter.
//
// Root opens every device, so the program runs as "nobody" in a forked child
// that gives up root before it starts the program; the device is the
// simulated meter's pseudo-terminal, given the owner and mode of the case.

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "forked_run.h"
#include "run_program.h"
#include "simulated_meter.h"

namespace {

struct PermissionCase {
  const char* groupName;
  mode_t mode;
  std::vector<std::string> traced;  // in this order; $DEVICE, $GROUP
};

std::string Replaced(std::string text, const std::string& from,
                     const std::string& to) {
  for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(PermissionTrace, NamesTheGroupAndTheRemedy) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user nobody";

  const PermissionCase cases[] = {
      // The usual setting of a serial device: its group may read and write.
      {"dialout",
       0660,
       {"open $DEVICE: failed: Permission denied (errno 13)",
        "$DEVICE belongs to user root and group $GROUP, mode crw-rw----; this "
        "run is user nobody",
        "the usual remedy: add user nobody to group $GROUP (sudo usermod -aG "
        "$GROUP nobody), then log out and in again",
        "not applied, the port is not open",
        "the reading is not available (-777)"}},
      // Group membership would not help here.
      {"tty",
       0620,
       {"open $DEVICE: failed: Permission denied (errno 13)",
        "$DEVICE belongs to user root and group $GROUP, mode crw--w----",
        "group $GROUP may not read and write it either: the usual remedy is a "
        "udev rule"}},
  };
  for (const PermissionCase& c : cases) {
    SCOPED_TRACE(c.groupName);
    const group* owner = getgrnam(c.groupName);
    if (owner == nullptr) {
      ADD_FAILURE() << "no group " << c.groupName << " on this system";
      continue;
    }
    SimulatedMeter meter({"--ph", "7.01"});
    const std::string device = meter.DevicePath();
    ASSERT_EQ(chown(device.c_str(), 0, owner->gr_gid), 0);
    ASSERT_EQ(chmod(device.c_str(), c.mode), 0);

    const ForkedRun run =
        RunForked(ProgramUnderTest(), {"ea", "0"},
                  {"COM2_DEVICE=" + device, "LC_ALL=C", "PHM210_TRACE=1"},
                  ErrorStream::File, nobody);
    if (run.startFailed) {
      GTEST_SKIP() << "user nobody cannot start " << ProgramUnderTest();
    }
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, "-77700\r\n");
    std::size_t from = 0;
    for (const std::string& wanted : c.traced) {
      const std::string text =
          Replaced(Replaced(wanted, "$DEVICE", device), "$GROUP", c.groupName);
      const std::size_t at = run.errors.find(text, from);
      EXPECT_NE(at, std::string::npos)
          << "not in the trace, or not in this order: " << text << "\n"
          << run.errors;
      if (at == std::string::npos) break;
      from = at + text.size();
    }
    // The meter heard nothing.
    meter.Stop();
    EXPECT_EQ(meter.Log(), "");
  }
}

}  // namespace
