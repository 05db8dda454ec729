// A misbehaving meter, through the real executable and the simulated meter:
// each fault gives the reading or -777 that the reply rules define, within
// the reply time limit, and waiting for the meter costs almost no processor
// time.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"
#include "simulated_meter.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A run of the program with what the operating system counted of it.
struct MeasuredRun {
  std::string output;
  int exitStatus = -1;  // -1 when ended by a signal
  std::chrono::milliseconds elapsed{0};
  std::chrono::milliseconds processorTime{0};  // user and system
};

std::vector<std::string> LauncherWords() {
  std::vector<std::string> words;
  const char* launcher = std::getenv("PHM210_LAUNCHER");
  std::istringstream stream(launcher != nullptr ? launcher : "");
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

// Under a launcher (an emulator, Wine) the processor time is the
// launcher's, not the program's.
bool ProcessorTimeIsTheProgramsOwn() { return LauncherWords().empty(); }

std::chrono::milliseconds Milliseconds(const timeval& time) {
  return std::chrono::milliseconds(time.tv_sec * 1000 + time.tv_usec / 1000);
}

// Like RunProgram, standard output in a file, but reaped with wait4 so that
// the child's own processor time is known. The kill after `limit` keeps a
// hanging run from hanging the test.
MeasuredRun RunMeasured(const std::vector<std::string>& arguments,
                        const std::string& device,
                        std::chrono::milliseconds limit = 20s) {
  std::vector<std::string> argv = LauncherWords();
  argv.push_back(ProgramUnderTest());
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "COM2_DEVICE=", 12) != 0 &&
        std::strncmp(*entry, "LC_ALL=", 7) != 0) {
      envp.emplace_back(*entry);
    }
  }
  envp.push_back("COM2_DEVICE=" + device);
  envp.push_back("LC_ALL=C");

  // Built before the fork: a child of a threaded test may not allocate.
  std::vector<char*> args;
  for (auto& word : argv) args.push_back(word.data());
  args.push_back(nullptr);
  std::vector<char*> env;
  for (auto& entry : envp) env.push_back(entry.data());
  env.push_back(nullptr);

  char outputName[] = "/tmp/phm210-faults-XXXXXX";
  const int outputFile = mkostemp(outputName, O_CLOEXEC);
  if (outputFile < 0) throw std::runtime_error("mkostemp");
  const int nullInput = open("/dev/null", O_RDONLY | O_CLOEXEC);

  MeasuredRun run;
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(nullInput, STDIN_FILENO);
    dup2(outputFile, STDOUT_FILENO);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(nullInput);
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t reaped = wait4(child, &status, WNOHANG, &usage);
    if (reaped == child || (reaped < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() - started > limit)
      kill(child, SIGKILL);
    std::this_thread::sleep_for(2ms);
  }
  run.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  run.processorTime =
      Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);

  lseek(outputFile, 0, SEEK_SET);
  char chunk[4096];
  for (ssize_t n; (n = read(outputFile, chunk, sizeof chunk)) > 0;) {
    run.output.append(chunk, static_cast<std::size_t>(n));
  }
  close(outputFile);
  unlink(outputName);
  return run;
}

// When the run may end: as soon as the CR of the reply arrives, or only when
// the one-second reply limit has run out.
enum class Ending { AtOnce, AtTheLimit, EitherWay };

struct FaultCase {
  const char* fault;
  std::vector<std::string> meterOptions;
  std::vector<std::string> arguments;
  std::string output;
  Ending ending;
};

const std::string kNotAvailable = "-777\r\n";
const std::string kPh701 = "7.00999999999999979\r\n";

// A reply line of `length` bytes before its CR whose pH stands at its end.
std::string PhAtTheEndOfALine(std::size_t length) {
  return std::string(length - 5, 'x') + " 7.01";
}

const FaultCase kFaults[] = {
    // Replies that end with their CR in time.
    {"a well-behaved meter",
     {"--ph", "7.01"},
     {"ead", "0"},
     kPh701,
     Ending::AtOnce},
    {"bytes after the CR",
     {"--ph", "7.01", "--trailing", "9.99\\r8.88"},
     {"ead", "0"},
     kPh701,
     Ending::AtOnce},
    {"a CR first",
     {"--raw-ph", ""},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtOnce},
    {"a line of 254 bytes",
     {"--raw-ph", PhAtTheEndOfALine(254)},
     {"ead", "0"},
     kPh701,
     Ending::AtOnce},
    {"a line of 254 letters",
     {"--line-length", "254"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtOnce},
    {"a NUL ends the cut text",
     {"--raw-ph", "hex:70 48 3A 20 31 37 2E 00 31"},
     {"ead", "0"},
     "17\r\n",
     Ending::AtOnce},
    {"a NUL where the potential stands",
     {"--raw-mv", "hex:6D 56 3A 20 00 31 32 33"},
     {"ead", "1"},
     kNotAvailable,
     Ending::AtOnce},
    {"bytes 0x80-0xFF before the pH",
     {"--raw-ph", "hex:B0 FF 80 E9 20 37 2E 30 31"},
     {"ead", "0"},
     kPh701,
     Ending::AtOnce},
    {"a byte 0xB0 where the temperature stands",
     {"--raw-t", "hex:74 3A 20 20 B0 32 43"},
     {"ead", "2"},
     kNotAvailable,
     Ending::AtOnce},
    {"bytes 0x80-0xFF after the temperature",
     {"--raw-t", "hex:74 3A 20 20 32 35 B0 43 FF"},
     {"ead", "2"},
     "25\r\n",
     Ending::AtOnce},
    {"the pH query echoed",
     {"--echo"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtOnce},
    {"the mV query echoed",
     {"--echo"},
     {"ead", "1"},
     kNotAvailable,
     Ending::AtOnce},
    {"the temperature query echoed",
     {"--echo"},
     {"ea", "2"},
     "-7770\r\n",
     Ending::AtOnce},
    {"a reply late but in time",
     {"--ph", "7.01", "--delay", "300"},
     {"ead", "0"},
     kPh701,
     Ending::EitherWay},
    {"a reply dripping in within the limit",
     {"--ph", "7.01", "--byte-time", "40000"},
     {"ead", "0"},
     kPh701,
     Ending::EitherWay},
    // Replies whose CR does not come in time.
    {"silence", {"--silent"}, {"ead", "0"}, kNotAvailable, Ending::AtTheLimit},
    {"a reply without CR",
     {"--ph", "7.01", "--no-cr"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"a reply dripping in across the limit",
     {"--ph", "7.01", "--byte-time", "150000"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"a line of 255 bytes",
     {"--raw-ph", PhAtTheEndOfALine(255)},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"a line of 300 bytes",
     {"--raw-ph", PhAtTheEndOfALine(300)},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"the device closed in the middle of a reply",
     {"--ph", "7.01", "--hang-up-after", "4"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"the device closed before the reply",
     {"--hang-up-after", "0"},
     {"ea", "1"},
     "-777\r\n",
     Ending::AtTheLimit},
    {"a meter that streams without end at 9600 baud",
     {"--ph", "7.01", "--stream", "--pace"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
    {"a meter that streams without end as fast as it can",
     {"--ph", "7.01", "--stream"},
     {"ead", "0"},
     kNotAvailable,
     Ending::AtTheLimit},
};

// Waiting for a meter lets the time pass without computing: the processor
// time of a run that waits out the limit stays far below its duration
// (a polling loop would take all of it). Starting the program costs a few
// milliseconds, more under the sanitizers, hence the allowance.
constexpr auto kProcessorAllowance = 150ms;

bool IsFullSpeedStream(const FaultCase& fault) {
  return std::string(fault.fault).find("as fast as") != std::string::npos;
}

// Runs whose reply ends in time, one after another so that a loaded machine
// does not stretch them: each ends well before the limit. A start delayed
// by the machine may happen once; waiting out the limit would happen again.
TEST(MeterFaults, RepliesEndedInTimeGiveTheirResultAtOnce) {
  for (const FaultCase& fault : kFaults) {
    if (fault.ending != Ending::AtOnce) continue;
    SCOPED_TRACE(fault.fault);
    SimulatedMeter meter(fault.meterOptions);
    MeasuredRun run = RunMeasured(fault.arguments, meter.DevicePath());
    if (run.elapsed >= 1000ms) {
      run = RunMeasured(fault.arguments, meter.DevicePath());
    }
    EXPECT_EQ(run.output, fault.output);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_LT(run.elapsed, 1000ms);
  }
}

// Runs that wait, all at once so that their waits overlap: each gives its
// result once the one-second limit has run out (or earlier, for a reply
// that comes late but in time), however the bytes keep coming.
TEST(MeterFaults, RepliesNotEndedInTimeWaitOutTheLimitWithoutComputing) {
  std::vector<const FaultCase*> faults;
  for (const FaultCase& fault : kFaults) {
    if (fault.ending != Ending::AtOnce) faults.push_back(&fault);
  }
  // Meters first, in this thread: starting one forks, and a fork must not
  // race the runs' threads.
  std::vector<std::unique_ptr<SimulatedMeter>> meters;
  for (const FaultCase* fault : faults) {
    meters.push_back(std::make_unique<SimulatedMeter>(fault->meterOptions));
  }
  std::vector<MeasuredRun> runs(faults.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < faults.size(); ++i) {
    threads.emplace_back([&, i] {
      runs[i] = RunMeasured(faults[i]->arguments, meters[i]->DevicePath());
    });
  }
  for (auto& thread : threads) thread.join();

  for (std::size_t i = 0; i < faults.size(); ++i) {
    const FaultCase& fault = *faults[i];
    const MeasuredRun& run = runs[i];
    SCOPED_TRACE(fault.fault);
    EXPECT_EQ(run.output, fault.output);
    EXPECT_EQ(run.exitStatus, 0);
    // Bounded: the limit is not stretched by what keeps arriving.
    EXPECT_LT(run.elapsed, 6000ms);
    if (fault.ending != Ending::AtTheLimit) continue;
    EXPECT_GE(run.elapsed, 1000ms);
    // A meter streaming at full speed keeps the reader busy by right; at
    // the line's own pace, reading costs next to nothing.
    if (!IsFullSpeedStream(fault) && ProcessorTimeIsTheProgramsOwn()) {
      EXPECT_LT(run.processorTime, kProcessorAllowance)
          << "elapsed " << run.elapsed.count() << " ms";
    }
  }
}

// The query is still sent, byte for byte, when the meter misbehaves.
TEST(MeterFaults, QueriesReachAMeterThatEchoesThem) {
  SimulatedMeter meter({"--echo"});
  for (const char* channel : {"0", "1", "2"}) {
    RunMeasured({"ead", channel}, meter.DevicePath());
  }
  meter.Stop();
  EXPECT_EQ(meter.Log(), "?RD pH\\r\n?RD mV\\r\n?RD t\\r\n");
}

}  // namespace
