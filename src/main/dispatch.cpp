#include "main/dispatch.h"

#include <cstdint>

#include "driver/operations.h"
#include "main/arguments.h"
#include "main/console.h"
#include "main/counted_text.h"
#include "main/failure.h"
#include "numbers/decimal_separator.h"
#include "numbers/extended.h"
#include "numbers/format_real.h"
#include "numbers/parse_argument.h"
#include "numbers/rounding.h"

namespace {

CountedText CommandName;
// A command that uses a channel and is given none works on channel 11,
// which no operation serves.
double ArgChannel = 11.0;
double ArgValue = 22.0;

// Conversions of the arguments, made afresh at each use. A command that takes
// a value converts it before its channel, which decides the failure reported
// when both are out of range.
std::int32_t Channel() {
  return Low32Bits(RoundToInteger(ExtendedFromDouble(ArgChannel)));
}
std::int32_t IntegerValue() {
  return Low32Bits(RoundToInteger(ExtendedFromDouble(ArgValue)));
}
double RealValue() { return ArgValue; }
float SingleValue() { return NarrowToSingle(ArgValue); }

void WriteReal(double value) { WriteCountedText(FormatReal(value)); }

struct Command {
  const char* name;
  void (*run)();  // performs the operation and writes its result
};

// Compared in this order.
constexpr Command kCommands[] = {
    {"ea", [] { WriteInteger(ea(Channel())); }},
    {"nea", [] { WriteText(nea(Channel())); }},
    {"ead", [] { WriteReal(ead(Channel())); }},
    {"nead", [] { WriteText(nead(Channel())); }},
    {"sa",
     [] {
       const auto value = IntegerValue();
       WriteInteger(sa(Channel(), value));
     }},
    {"nsa", [] { WriteText(nsa(Channel())); }},
    {"rsa", [] { WriteInteger(rsa(Channel())); }},
    {"sad",
     [] {
       const auto value = RealValue();
       WriteReal(sad(Channel(), value));
     }},
    {"nsad", [] { WriteText(nsad(Channel())); }},
    {"rsad", [] { WriteReal(rsad(Channel())); }},
    {"eb", [] { WriteInteger(eb(Channel())); }},
    {"neb", [] { WriteText(neb(Channel())); }},
    {"sb",
     [] {
       const auto value = IntegerValue();
       WriteInteger(sb(Channel(), value));
     }},
    {"nsb", [] { WriteText(nsb(Channel())); }},
    {"rsb", [] { WriteInteger(rsb(Channel())); }},
    {"titre", [] { WriteText(titre()); }},
    {"detail", [] { WriteText(detail()); }},
    {"stdea", [] { WriteInteger(stdea(Channel())); }},
    {"stdnea", [] { WriteText(stdnea(Channel())); }},
    {"stdead", [] { WriteReal(stdead(Channel())); }},
    {"stdeas", [] { WriteReal(stdeas(Channel())); }},
    {"stdnead", [] { WriteText(stdnead(Channel())); }},
    {"stdsa",
     [] {
       const auto value = IntegerValue();
       WriteInteger(stdsa(Channel(), value));
     }},
    {"stdnsa", [] { WriteText(stdnsa(Channel())); }},
    {"stdrsa", [] { WriteInteger(stdrsa(Channel())); }},
    {"stdsad",
     [] {
       const auto value = RealValue();
       WriteReal(stdsad(Channel(), value));
     }},
    {"stdsas",
     [] {
       const auto value = SingleValue();
       WriteReal(stdsas(Channel(), value));
     }},
    {"stdnsad", [] { WriteText(stdnsad(Channel())); }},
    {"stdrsad", [] { WriteReal(stdrsad(Channel())); }},
    {"stdrsas", [] { WriteReal(stdrsas(Channel())); }},
    {"stdeb", [] { WriteInteger(stdeb(Channel())); }},
    {"stdneb", [] { WriteText(stdneb(Channel())); }},
    {"stdsb",
     [] {
       const auto value = IntegerValue();
       WriteInteger(stdsb(Channel(), value));
     }},
    {"stdnsb", [] { WriteText(stdnsb(Channel())); }},
    {"stdrsb", [] { WriteInteger(stdrsb(Channel())); }},
    {"stdtitre", [] { WriteText(stdtitre()); }},
    {"stddetail", [] { WriteText(stddetail()); }},
};

}  // namespace

void StartUp() {
  PutFloatControlInForce();
  PutFailureReportInForce();
  ReadDecimalSeparator();
}

void DispatchCommand() {
  AssignCountedText(CommandName, Argument(1));
  // The numbers are read before any name is compared: one that cannot be
  // read ends the run even for a command that does not use it.
  if (ArgumentCount() >= 2) ArgChannel = ParseArgument(Argument(2));
  if (ArgumentCount() >= 3) ArgValue = ParseArgument(Argument(3));

  // Names are compared byte for byte, case included; all are distinct, so
  // at most one matches. No match writes nothing.
  for (const Command& command : kCommands) {
    if (View(CommandName) == command.name) {
      command.run();
      WriteLineEnd();
    }
  }
}
