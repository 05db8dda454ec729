#include "numbers/scale.h"

#include "numbers/exact_scale.h"
#include "numbers/powers_of_ten.h"

namespace {

constexpr std::uint32_t kTableLimit = 5120;

}  // namespace

Extended ScaleByPowerOfTen(Extended x, std::int32_t n) {
  if (n == 0) return x;
  // The widest power in unsigned arithmetic: -n does not exist for INT32_MIN.
  const std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n)
                                        : static_cast<std::uint32_t>(n);
  if (magnitude >= kTableLimit) return ScaleExactlyByPowerOfTen(x, n);

  const Extended small =
      SmallPowerOfTen(static_cast<std::int32_t>(magnitude % 32));
  const auto mediumIndex = static_cast<std::int32_t>((magnitude / 32) % 16);
  const auto largeIndex = static_cast<std::int32_t>(magnitude / 512);
  const auto step = n > 0 ? MultiplyExtended : DivideExtended;
  x = step(x, small);
  if (mediumIndex != 0) x = step(x, MediumPowerOfTen(mediumIndex));
  if (largeIndex != 0) x = step(x, LargePowerOfTen(largeIndex));
  return x;
}
