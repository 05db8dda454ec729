// Out of the double-extended format: to double and single, each rounded once.

#include <bit>

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

namespace {

// The layout of an IEEE binary interchange format of up to 64 bits.
struct Layout {
  Format format;
  int fractionBits;
  int exponentBits;
};
constexpr Layout kDoubleLayout{kDoubleFormat, 52, 11};
constexpr Layout kSingleLayout{kSingleFormat, 23, 8};

std::uint64_t NarrowedBits(Value a, const Layout& layout) {
  const Unpacked u = Unpack(a);
  const int signShift = layout.fractionBits + layout.exponentBits;
  const std::uint64_t sign = std::uint64_t{u.negative ? 1u : 0u} << signShift;
  const std::uint64_t fractionMask =
      (std::uint64_t{1} << layout.fractionBits) - 1;
  const std::uint64_t allOnesExponent =
      ((std::uint64_t{1} << layout.exponentBits) - 1) << layout.fractionBits;
  const std::uint64_t quietBit = std::uint64_t{1} << (layout.fractionBits - 1);
  switch (u.kind) {
    case Kind::kZero:
      return sign;
    case Kind::kInfinite:
      return sign | allOnesExponent;
    case Kind::kNotANumber:
      // The high bits of the payload, below the integer bit; always quiet.
      return sign | allOnesExponent | quietBit |
             ((a.significand >> (63 - layout.fractionBits)) & fractionMask);
    case Kind::kUnsupported:
      return (std::uint64_t{1} << signShift) | allOnesExponent | quietBit;
    case Kind::kFinite:
      break;
  }
  const Rounded rounded =
      RoundToFormat({u.significand, 0}, u.exponent, layout.format);
  if (rounded.overflow) return sign | allOnesExponent;
  const std::uint64_t topBit = std::uint64_t{1}
                               << (layout.format.precision - 1);
  // The implicit leading bit is dropped; a subnormal has exponent field 0.
  const std::uint64_t biased =
      (rounded.significand & topBit) != 0
          ? static_cast<std::uint64_t>(rounded.exponent -
                                       layout.format.minNormalExponent + 1)
          : 0;
  return sign | (biased << layout.fractionBits) |
         (rounded.significand & fractionMask);
}

}  // namespace

double ToDouble(Value a) {
  return std::bit_cast<double>(NarrowedBits(a, kDoubleLayout));
}

float ToSingle(Value a) {
  return std::bit_cast<float>(
      static_cast<std::uint32_t>(NarrowedBits(a, kSingleLayout)));
}

}  // namespace soft_extended
