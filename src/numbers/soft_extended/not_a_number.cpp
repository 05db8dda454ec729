// Which not-a-number an operation passes on: the x87's choice between two
// operands.

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

namespace {

constexpr std::uint64_t kQuietBit = kTopBit >> 1;

}  // namespace

bool IsSignallingNotANumber(Value a) {
  return Unpack(a).kind == Kind::kNotANumber &&
         (a.significand & kQuietBit) == 0;
}

Value Quieted(Value a) {
  a.significand |= kQuietBit;
  return a;
}

Value PropagatedNotANumber(Value a, Value b) {
  const bool aIsNotANumber = Unpack(a).kind == Kind::kNotANumber;
  const bool bIsNotANumber = Unpack(b).kind == Kind::kNotANumber;
  if (!aIsNotANumber) return Quieted(b);
  if (!bIsNotANumber) return Quieted(a);
  const bool aSignals = IsSignallingNotANumber(a);
  const bool bSignals = IsSignallingNotANumber(b);
  if (aSignals != bSignals) return Quieted(aSignals ? b : a);
  if (a.significand != b.significand) {
    return Quieted(a.significand > b.significand ? a : b);
  }
  // Equal payloads: the positive one.
  return Quieted(IsSignNegative(a) ? b : a);
}

}  // namespace soft_extended
