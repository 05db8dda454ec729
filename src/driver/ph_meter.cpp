#include "driver/ph_meter.h"

#include <string>

#include "numbers/parse_reading.h"
#include "numbers/rounding.h"
#include "platform/trace_output.h"
#include "ucommw32/ucommw32.h"

namespace {

constexpr std::string_view kPortName = "com2:";
// The settings text carries its own terminating NUL in its length.
constexpr std::string_view kPortSettings{"baud=9600 parity=n data=8 stop=1 \0",
                                         34};

bool IsServedChannel(std::int32_t channel) {
  return channel >= ChannelPh && channel <= ChannelTemp;
}

std::string_view QueryOf(std::int32_t channel) {
  switch (channel) {
    case ChannelPh:
      return "?RD pH\r";
    case ChannelMv:
      return "?RD mV\r";
    default:
      return "?RD t\r";
  }
}

// Bytes at 1-based positions first..first+count-1, clipped to the text.
std::string_view Positions(std::string_view text, std::size_t first,
                           std::size_t count) {
  if (text.size() < first) return {};
  return text.substr(first - 1, count);
}

const char* ChannelName(std::int32_t channel) {
  switch (channel) {
    case ChannelPh:
      return "pH";
    case ChannelMv:
      return "millivolts";
    default:
      return "temperature";
  }
}

// Why the cut text is what it is: which rule of the channel's reply layout
// applied and where in the reply the text stood.
void TraceCut(std::string_view reply, std::int32_t channel,
              std::string_view cut) {
  std::string rule;
  if (channel == ChannelPh) {
    const std::size_t point = reply.find('.');
    if (point == std::string_view::npos) {
      rule = "no \".\" in the reply: the whole reply";
    } else if (point + 1 <= 4) {
      rule = "the first \".\" stands at position " + std::to_string(point + 1) +
             ", before position 5: the whole reply";
    } else {
      rule = "5 bytes from 2 before the first \".\" at position " +
             std::to_string(point + 1);
    }
  } else if (channel == ChannelMv) {
    rule = "a potential stands at positions 5 to 8";
  } else if (channel == ChannelTemp) {
    rule = "a temperature stands at positions 5 and 6";
  } else {
    rule = "the whole reply";
  }
  if (cut.empty()) {
    TraceLine("cut the empty text (%s; the reply has %u bytes)", rule.c_str(),
              static_cast<unsigned>(reply.size()));
    return;
  }
  const auto first = static_cast<unsigned>(cut.data() - reply.data()) + 1;
  TraceLine("cut %s, positions %u to %u of the reply (%s)",
            TraceQuoted(cut).c_str(), first,
            first + static_cast<unsigned>(cut.size()) - 1, rule.c_str());
}

// Where ParseReading stopped, and so whether the reading can be had.
void TraceParsed(std::string_view cut, std::int32_t errorPosition) {
  if (errorPosition == 0) {
    TraceLine("ParseReading took the whole text");
    return;
  }
  const auto position = static_cast<std::size_t>(errorPosition);
  if (cut.empty()) {
    TraceLine(
        "ParseReading stopped at position 1: the text is empty, there "
        "is no number");
  } else if (position > cut.size()) {
    TraceLine(
        "ParseReading stopped at position %u: the text ended before a "
        "number was complete",
        static_cast<unsigned>(position));
  } else {
    TraceLine(
        "ParseReading stopped at position %u, at %s, which does not "
        "belong to a number",
        static_cast<unsigned>(position),
        TraceQuoted(cut.substr(position - 1, 1)).c_str());
  }
}

}  // namespace

std::string_view CutReadingText(std::string_view reply, std::int32_t channel) {
  switch (channel) {
    case ChannelPh: {
      // The pH is found around its point: two digits before it, two after.
      const std::size_t point = reply.find('.');
      if (point == std::string_view::npos || point + 1 <= 4) return reply;
      return Positions(reply, point + 1 - 2, 5);
    }
    case ChannelMv:
      return Positions(reply, 5, 4);
    case ChannelTemp:
      return Positions(reply, 5, 2);
    default:
      return reply;
  }
}

double QueryPhMeter(std::int32_t channel) {
  if (IsServedChannel(channel)) {
    TraceLine("reading channel %d (%s)", static_cast<int>(channel),
              ChannelName(channel));
  } else {
    TraceLine(
        "channel %d is not served: nothing is sent, but the port is "
        "opened and the reply waited for all the same; the reading is "
        "not available",
        static_cast<int>(channel));
  }
  // The port values are stored before every opening, so nothing another
  // user of the serial link left behind can change this exchange.
  AssignCountedText(PortName, kPortName);
  AssignCountedText(PortSettings, kPortSettings);

  OpenPort();
  if (IsServedChannel(channel)) {
    CountedText query;
    AssignCountedText(query, QueryOf(channel));
    SendText(query);
  }
  CountedText reply;
  ReceiveLine(reply);
  ClosePort();

  const std::string_view cut = CutReadingText(View(reply), channel);
  if (TraceEnabled()) TraceCut(View(reply), channel, cut);
  const ParsedReading reading = ParseReading(cut);
  if (TraceEnabled()) TraceParsed(cut, reading.errorPosition);
  // Rounded to double before the position is looked at: a reading beyond the
  // double range ends the run even when the text was not taken whole.
  const double value = RoundToDouble(reading.value);
  if (reading.errorPosition != 0 || !IsServedChannel(channel)) {
    TraceLine("the reading is not available (-777)");
    return NotAvailableReal;
  }
  TraceLine("the reading is %.17g", value);
  return value;
}
