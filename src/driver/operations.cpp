#include "driver/operations.h"

#include "driver/ph_meter.h"
#include "numbers/extended.h"
#include "numbers/rounding.h"

namespace {

// Windows-1252: 0xB0 is the degree sign, written as that one byte. (The
// literal is split so that the C after the escape is not read as a hex digit.)
constexpr char kDegreesTimesTen[] =
    "\xB0"
    "C*10";
constexpr char kDegrees[] =
    "\xB0"
    "C";
constexpr const char* kIntegerUnits[] = {"pH*100", "mV", kDegreesTimesTen};
constexpr const char* kRealUnits[] = {"pH", "mV", kDegrees};
// Each channel's integer reading is the real reading times this factor.
constexpr double kIntegerScale[] = {100.0, 1.0, 10.0};

constexpr char kTitle[] = "PHM210 en Com2:";
constexpr char kDescription[] =
    "Quarvel pour PHM210 en Com2:, Brastelle, 18-12-2005";
constexpr char kNoText[] = "";

bool IsServedChannel(std::int32_t channel) {
  return channel >= ChannelPh && channel <= ChannelTemp;
}

}  // namespace

std::int32_t ea(std::int32_t channel) {
  if (!IsServedChannel(channel)) return NotAvailable;
  const double reading = QueryPhMeter(channel);
  // The product stays at extended precision: rounding it to double first
  // would turn a pH of 7.015 into 702 instead of 701. A failed reading is
  // scaled like any other (-77700 for the pH).
  const Extended scaled = MultiplyExtended(
      ExtendedFromDouble(reading), ExtendedFromDouble(kIntegerScale[channel]));
  return Low32Bits(RoundToInteger(scaled));
}

const char* nea(std::int32_t channel) {
  return IsServedChannel(channel) ? kIntegerUnits[channel] : kNoText;
}

double ead(std::int32_t channel) { return QueryPhMeter(channel); }

const char* nead(std::int32_t channel) {
  return IsServedChannel(channel) ? kRealUnits[channel] : kNoText;
}

// The meter has no outputs and no binary inputs.
std::int32_t sa(std::int32_t /*channel*/, std::int32_t /*value*/) {
  return NotAvailable;
}
const char* nsa(std::int32_t /*channel*/) { return kNoText; }
std::int32_t rsa(std::int32_t /*channel*/) { return NotAvailable; }
double sad(std::int32_t /*channel*/, double /*value*/) {
  return NotAvailableReal;
}
const char* nsad(std::int32_t /*channel*/) { return kNoText; }
double rsad(std::int32_t /*channel*/) { return NotAvailableReal; }
std::int32_t eb(std::int32_t /*channel*/) { return NotAvailable; }
const char* neb(std::int32_t /*channel*/) { return kNoText; }
std::int32_t sb(std::int32_t /*channel*/, std::int32_t /*value*/) {
  return NotAvailable;
}
const char* nsb(std::int32_t /*channel*/) { return kNoText; }
std::int32_t rsb(std::int32_t /*channel*/) { return NotAvailable; }

const char* titre() { return kTitle; }
const char* detail() { return kDescription; }

std::int32_t stdea(std::int32_t channel) { return ea(channel); }
const char* stdnea(std::int32_t channel) { return nea(channel); }
double stdead(std::int32_t channel) { return ead(channel); }
float stdeas(std::int32_t channel) { return NarrowToSingle(ead(channel)); }
const char* stdnead(std::int32_t channel) { return nead(channel); }
std::int32_t stdsa(std::int32_t channel, std::int32_t value) {
  return sa(channel, value);
}
const char* stdnsa(std::int32_t channel) { return nsa(channel); }
std::int32_t stdrsa(std::int32_t channel) { return rsa(channel); }
double stdsad(std::int32_t channel, double value) {
  return sad(channel, value);
}
float stdsas(std::int32_t channel, float value) {
  return NarrowToSingle(sad(channel, static_cast<double>(value)));
}
const char* stdnsad(std::int32_t channel) { return nsad(channel); }
double stdrsad(std::int32_t channel) { return rsad(channel); }
float stdrsas(std::int32_t channel) { return NarrowToSingle(rsad(channel)); }
std::int32_t stdeb(std::int32_t channel) { return eb(channel); }
const char* stdneb(std::int32_t channel) { return neb(channel); }
std::int32_t stdsb(std::int32_t channel, std::int32_t value) {
  return sb(channel, value);
}
const char* stdnsb(std::int32_t channel) { return nsb(channel); }
std::int32_t stdrsb(std::int32_t channel) { return rsb(channel); }
const char* stdtitre() { return titre(); }
const char* stddetail() { return detail(); }
