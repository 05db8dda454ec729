#include "driver/ph_meter.h"

#include "numbers/parse_reading.h"
#include "numbers/rounding.h"
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

  const ParsedReading reading =
      ParseReading(CutReadingText(View(reply), channel));
  // Rounded to double before the position is looked at: a reading beyond the
  // double range ends the run even when the text was not taken whole.
  const double value = RoundToDouble(reading.value);
  if (reading.errorPosition != 0 || !IsServedChannel(channel)) {
    return NotAvailableReal;
  }
  return value;
}
