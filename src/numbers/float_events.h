#pragma once
// What both versions of the double-extended type share: which control is in
// force, and what an overflow, an invalid operation or a division by zero
// does under it (extended.h).

enum class NumberKind { kFinite, kInfinite, kNotANumber };

// Back to the float control, nothing noted.
void ResetFloatEvents();

// Raise EOverflow, EInvalidOp and EZeroDivide under the float control; under
// the conversion control an overflow is noted and the others pass silently.
void OnOverflow();
void OnInvalidOperation();
void OnZeroDivide();

// What a result says about its operation: infinity from finite operands is
// an overflow, not-a-number from operands that are numbers an invalid
// operation. Inline: it runs after every arithmetic operation.
inline void CheckResult(NumberKind result, NumberKind a, NumberKind b) {
  if (result == NumberKind::kInfinite) {
    if (a == NumberKind::kFinite && b == NumberKind::kFinite) OnOverflow();
  } else if (result == NumberKind::kNotANumber) {
    if (a != NumberKind::kNotANumber && b != NumberKind::kNotANumber) {
      OnInvalidOperation();
    }
  }
}
