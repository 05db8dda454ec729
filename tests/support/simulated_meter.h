#pragma once
// Runs the simulated meter (phm210-sim, built beside the tests) for a test.
//
//   SimulatedMeter meter({"--ph", "7.01", "--mv", "-123"});
//   // the program under test finds it through COM2_DEVICE:
//   RunOptions run;
//   run.arguments = {"ead", "0"};
//   run.environment = {{"COM2_DEVICE", meter.DevicePath()}};
//   RunProgram(BuiltProgram("phm210"), run);
//   EXPECT_EQ(meter.Log(), "?RD pH\\r\n");
//
// Options are those of `phm210-sim --help` (--delay, --silent, --no-cr,
// --raw-ph, ...); --log is added by the helper. The constructor returns once
// the pseudo-terminal exists; it throws std::runtime_error when the simulator
// cannot be started. The destructor stops it. The simulator always runs
// natively (PHM210_LAUNCHER is not put before it); PHM210_SIM, when set,
// names the simulator to run instead of the one built beside the tests.

#include <sys/types.h>

#include <string>
#include <vector>

class SimulatedMeter {
 public:
  explicit SimulatedMeter(const std::vector<std::string>& options = {});
  ~SimulatedMeter();
  SimulatedMeter(const SimulatedMeter&) = delete;
  SimulatedMeter& operator=(const SimulatedMeter&) = delete;

  // The pseudo-terminal's path, for COM2_DEVICE (or PortName).
  const std::string& DevicePath() const { return devicePath_; }

  // What the simulator received so far: one line per CR-terminated line,
  // escaped readably (CR as \r, other control bytes as \xHH, "\\" for a
  // backslash), each followed by a newline; bytes of an unfinished line
  // appear only after Stop().
  std::string Log() const;

  // SIGTERM, then waits until it has ended. Stopping twice is harmless.
  void Stop();

  // SIGKILL, then waits: the line vanishes at once, as when a cable is
  // pulled.
  void Kill();

 private:
  void EndWith(int signal);

  pid_t pid_ = -1;
  std::string devicePath_;
  std::string logPath_;
};
