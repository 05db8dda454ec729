#pragma once
// Shared by the numbers tests: how a call ended, and conversions between the
// module's Extended and the exact model.

#include <cstring>
#include <string>

#include "exact_model.h"
#include "main/failure.h"
#include "numbers/extended.h"

// The failure a call raised: empty kind when it returned normally.
struct Raised {
  std::string kind;
  std::string message;
};

template <typename Call>
Raised RaisedBy(Call&& call) {
  try {
    call();
  } catch (const Failure& failure) {
    return {failure.kindName, failure.message};
  }
  return {};
}

inline const std::string kOverflowMessage =
    "D\xE9"
    "bordement en virgule flottante";
inline const std::string kInvalidOpMessage =
    "Op\xE9"
    "ration en virgule flottante incorrecte";

inline std::string ConvertErrorMessage(const std::string& text) {
  return "'" + text + "' n'est pas une valeur en virgule flottante correcte";
}

inline std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double DoubleOfBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline exact::Value ExactOf(Extended x) {
  exact::Value value;
  value.negative = IsSignNegative(x);
  if (IsZero(x)) return value;
  const ExtendedParts parts = PartsOfExtended(x);
  value.significand = parts.significand;
  value.exponent = parts.exponent;
  return value;
}

inline Extended ExtendedOf(const exact::Value& value) {
  if (value.significand == 0) return ZeroExtended(value.negative);
  return ExtendedFromParts({value.negative, value.significand,
                            static_cast<std::int32_t>(value.exponent)});
}

// Two values are the same double-extended number (zeros by their sign).
inline bool SameValue(const exact::Value& a, const exact::Value& b) {
  if (a.overflow || b.overflow) return a.overflow == b.overflow;
  return a.negative == b.negative && a.significand == b.significand &&
         (a.significand == 0 || a.exponent == b.exponent);
}
