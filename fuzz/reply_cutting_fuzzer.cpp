// The cutting of the meter's reply: the first input byte picks the channel
// (0, 1, 2 and some that are not served), the rest is the reply line.
//
// Properties:
// - the cut text lies within the reply;
// - channel 0: the 5 bytes from 2 before the first "." when that "." stands
//   at position 5 or later (fewer at the end of the reply), else the whole
//   reply; channel 1: positions 5 to 8; channel 2: positions 5 and 6 (both
//   clipped, empty for a reply shorter than 5 bytes); other channels: the
//   whole reply;
// - reading the cut text never fails on channels 1 and 2 (the texts are too
//   short to overflow), nor on channel 0 when only 5 bytes were cut; a cut
//   of digits alone reads as their integer.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "driver/ph_meter.h"
#include "fuzz_checks.h"
#include "main/failure.h"
#include "numbers/extended.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"

namespace {

constexpr std::int32_t kChannels[] = {0, 1, 2, -1, 3, 11, INT32_MIN, INT32_MAX};

struct Expected {
  std::size_t offset;
  std::size_t length;
};

// 1-based positions first..first+count-1, clipped to the reply.
Expected Positions(std::size_t replySize, std::size_t first,
                   std::size_t count) {
  if (replySize < first) return {0, 0};
  return {first - 1, std::min(count, replySize - (first - 1))};
}

Expected ExpectedCut(std::string_view reply, std::int32_t channel) {
  switch (channel) {
    case 0: {
      const std::size_t point = reply.find('.');
      const std::size_t position =
          point == std::string_view::npos ? 0 : point + 1;
      if (position > 4) return Positions(reply.size(), position - 2, 5);
      return {0, reply.size()};
    }
    case 1:
      return Positions(reply.size(), 5, 4);
    case 2:
      return Positions(reply.size(), 5, 2);
    default:
      return {0, reply.size()};
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PutFloatControlInForce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t channel =
      kChannels[data[0] % (sizeof kChannels / sizeof kChannels[0])];
  // The reply lives in its own allocation, so that a cut reaching outside it
  // is seen by the address sanitizer too.
  const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view cut = CutReadingText(reply, channel);
  const std::string context = "channel " + std::to_string(channel) +
                              ", reply \"" + Printable(reply) + "\", cut \"" +
                              Printable(cut) + "\"";

  if (!cut.empty() && (cut.data() < reply.data() ||
                       cut.data() + cut.size() > reply.data() + reply.size())) {
    Violated("the cut text lies within the reply", reply, context);
  }
  const Expected expected = ExpectedCut(reply, channel);
  const auto offset = static_cast<std::size_t>(cut.data() - reply.data());
  if (cut.size() != expected.length ||
      (expected.length > 0 && offset != expected.offset)) {
    Violated("the cut follows the channel's positions", reply,
             context + ", expected offset " + std::to_string(expected.offset) +
                 " length " + std::to_string(expected.length));
  }

  const bool shortCut =
      channel == 1 || channel == 2 ||
      (channel == 0 && cut.size() <= 5 && cut.size() != reply.size());
  try {
    const ParsedReading reading = ParseReading(cut);
    const double value = RoundToDouble(reading.value);
    const bool digitsOnly =
        !cut.empty() &&
        cut.find_first_not_of("0123456789") == std::string_view::npos;
    if ((channel == 1 || channel == 2) && digitsOnly &&
        (reading.errorPosition != 0 || value != std::stoi(std::string(cut)))) {
      Violated("a cut of digits reads as their integer", reply, context);
    }
  } catch (const Failure& failure) {
    if (shortCut) {
      Violated("a short cut never fails to read", reply,
               context + ": " + failure.kindName);
    }
  }
  return 0;
}
