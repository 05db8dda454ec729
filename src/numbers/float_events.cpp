#include "numbers/float_events.h"

#include "main/failure.h"
#include "numbers/extended.h"

namespace {

bool conversionControlInForce = false;
bool overflowNoted = false;

}  // namespace

void ResetFloatEvents() {
  conversionControlInForce = false;
  overflowNoted = false;
}

void OnOverflow() {
  if (conversionControlInForce) {
    overflowNoted = true;
  } else {
    RaiseOverflow();
  }
}

void OnInvalidOperation() {
  if (!conversionControlInForce) RaiseInvalidOp();
}

void OnZeroDivide() {
  if (!conversionControlInForce) RaiseZeroDivide();
}

SavedFloatControl PutConversionControlInForce() {
  const SavedFloatControl saved{conversionControlInForce};
  conversionControlInForce = true;
  overflowNoted = false;
  return saved;
}

bool OverflowNoted() { return overflowNoted; }

void RestoreFloatControl(SavedFloatControl saved) {
  conversionControlInForce = saved.conversionControlWasInForce;
  overflowNoted = false;
}
