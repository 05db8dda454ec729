#pragma once
// The PHM210 dialogue: one measurement is one open-query-reply-close exchange
// on "com2:". The only module that knows what the meter says.

#include <cstdint>
#include <string_view>

inline constexpr std::int32_t ChannelPh = 0;    // pH
inline constexpr std::int32_t ChannelMv = 1;    // millivolts
inline constexpr std::int32_t ChannelTemp = 2;  // degrees Celsius

// The answer for a value that is not available.
inline constexpr std::int32_t NotAvailable = -777;
inline constexpr double NotAvailableReal = -777.0;

// The channel's reading, or NotAvailableReal when the meter gives none that
// can be read. A reading beyond the double range ends the run (EOverflow).
double QueryPhMeter(std::int32_t channel);

// The part of a reply line that holds the channel's number.
std::string_view CutReadingText(std::string_view reply, std::int32_t channel);
