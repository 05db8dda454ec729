#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "byte_escapes.h"

namespace {

// The pace of one byte on a 9600-baud line: 10 bits (start, 8 data, stop).
constexpr std::uint32_t kByteTimeAt9600Us = 1042;

bool ReadNumber(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ReadCount(const char* text, unsigned long long limit,
               unsigned long long& value) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return *end == '\0' && errno == 0 && value <= limit;
}

}  // namespace

const char* SimHelpText() {
  return R"(Usage: phm210-sim [OPTION]...
A simulated PHM210 pH meter on a pseudo-terminal. Prints the terminal's
path on one line of standard output, then answers the queries
"?RD pH", "?RD mV" and "?RD t" (each ended by CR) with the lines
"pH: %5.2f", "mV: %4d" and "t:  %2dC", each ended by CR; other lines get
no answer. Point the driver at it with COM2_DEVICE=<path>. Stops on
SIGTERM, SIGINT or SIGHUP and when its parent process ends.

Readings:
  --ph VALUE          pH reading (default 7.00)
  --mv VALUE          potential in millivolts (default 0)
  --temp VALUE        temperature in degrees Celsius (default 25)
  --drift STEPS       each answer moves its reading by up to STEPS of its
                      last digit (0.01 pH, 1 mV, 1 degree), wandering at
                      most 10*STEPS from the set value (default 0: still)
  --seed N            seed of the drift (default: from the clock)
  --count-up          the n-th answer to a channel carries its set reading
                      plus n steps of its last digit (7.00 answers 7.01,
                      7.02, ...), so that every answer can be told apart

Misbehaviour:
  --delay MS          answer MS milliseconds late
  --silent            never answer
  --no-cr             send no CR after the answer
  --trailing BYTES    send BYTES after the CR
  --line-length N     answer with a line of N bytes ('a' to 'z' repeating)
  --raw-ph BYTES      answer "?RD pH" with BYTES instead of the reading
  --raw-mv BYTES      the same for "?RD mV"
  --raw-t BYTES       the same for "?RD t"
                      (the CR and any trailing bytes still follow)
  --echo              send the query back, with its CR, before the answer
  --pace              send one byte at a time at 9600 baud (1.04 ms a byte)
  --byte-time US      send one byte every US microseconds
  --hang-up-after N   after N bytes of the next answer (echo included),
                      close the line and exit
  --stream            after a query, send its answer over and over without
                      CR and without end (until the next query)

Other:
  --link PATH         also make a symlink PATH to the terminal (replacing
                      an old symlink there; removed again at exit)
  --log FILE          write every received line to FILE, one line each,
                      with its CR, escaped readably (\r, \xHH, \\)
  --help              show this text

BYTES are text with C escapes (\r \n \t \0 \xHH \\ ...), or "hex:"
followed by hex digit pairs, e.g. hex:31 65 34 30 30.
)";
}

bool ParseSimOptions(int argumentCount, char** arguments, SimOptions& options,
                     std::string& error) {
  for (int i = 0; i < argumentCount; ++i) {
    const std::string_view name = arguments[i];
    if (name == "--help") {
      options.help = true;
      continue;
    }
    if (name == "--silent") {
      options.silent = true;
    } else if (name == "--no-cr") {
      options.noLineEnd = true;
    } else if (name == "--echo") {
      options.echo = true;
    } else if (name == "--pace") {
      options.byteTimeUs = kByteTimeAt9600Us;
    } else if (name == "--stream") {
      options.stream = true;
    } else if (name == "--count-up") {
      options.countUp = true;
    } else {
      if (i + 1 >= argumentCount) {
        error = std::string(name) + ": option unknown or value missing";
        return false;
      }
      const char* value = arguments[++i];
      bool valid = true;
      double number = 0;
      unsigned long long count = 0;
      if (name == "--link") {
        options.linkPath = value;
      } else if (name == "--log") {
        options.logPath = value;
      } else if (name == "--ph" || name == "--mv" || name == "--temp") {
        valid = ReadNumber(value, number);
        const int channel = name == "--ph" ? 0 : name == "--mv" ? 1 : 2;
        options.readings[static_cast<std::size_t>(channel)] = number;
      } else if (name == "--drift") {
        valid = ReadCount(value, 1000000, count);
        options.driftSteps = static_cast<int>(count);
      } else if (name == "--seed") {
        valid = ReadCount(value, UINT32_MAX, count);
        options.seed = static_cast<std::uint32_t>(count);
      } else if (name == "--delay") {
        valid = ReadCount(value, 3600000, count);
        options.delayMs = static_cast<std::uint32_t>(count);
      } else if (name == "--byte-time") {
        valid = ReadCount(value, 10000000, count);
        options.byteTimeUs = static_cast<std::uint32_t>(count);
      } else if (name == "--line-length") {
        valid = ReadCount(value, 1000000, count);
        options.lineLength = static_cast<std::size_t>(count);
      } else if (name == "--hang-up-after") {
        valid = ReadCount(value, 1000000, count);
        options.hangUpAfter = static_cast<std::size_t>(count);
      } else if (name == "--trailing") {
        valid = DecodeBytes(value, options.trailing);
      } else if (name == "--raw-ph" || name == "--raw-mv" ||
                 name == "--raw-t") {
        const int channel = name == "--raw-ph" ? 0 : name == "--raw-mv" ? 1 : 2;
        std::string bytes;
        valid = DecodeBytes(value, bytes);
        options.rawReplies[static_cast<std::size_t>(channel)] = bytes;
      } else {
        error = std::string(name) + ": unknown option";
        return false;
      }
      if (!valid) {
        error = std::string(name) + ": malformed value '" + value + "'";
        return false;
      }
    }
  }
  return true;
}
