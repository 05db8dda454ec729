// The software double-extended type against the x87 unit, operation by
// operation, on the same random operands: every result must be the same
// encoding, not-a-numbers included. The operands come from a fixed seed
// (PHM210_DIFFERENTIAL_SEED changes it); PHM210_DIFFERENTIAL_OPERANDS sets
// how many each operation gets (a million by default; the long run asks for
// more).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <string>

#include "numbers/extended.h"
#include "numbers/soft_extended/soft_extended.h"
#include "random_operands.h"

namespace {

namespace soft = soft_extended;
using differential::Engine;
using differential::Operand;
using differential::Operation;

constexpr int kShownMismatches = 5;

std::uint64_t Setting(const char* name, std::uint64_t otherwise) {
  const char* setting = std::getenv(name);
  if (setting == nullptr || *setting == '\0') return otherwise;
  return std::strtoull(setting, nullptr, 10);
}

const std::uint64_t kSeed = Setting("PHM210_DIFFERENTIAL_SEED", 20240611);

// The x87 keeps the same layout in memory: significand, then sign and
// exponent.
long double HardwareOf(Operand value) {
  long double hardware = 0;
  std::memcpy(&hardware, &value.significand, sizeof value.significand);
  std::memcpy(reinterpret_cast<char*>(&hardware) + sizeof value.significand,
              &value.signAndExponent, sizeof value.signAndExponent);
  return hardware;
}

Operand SoftwareOf(long double hardware) {
  Operand value;
  std::memcpy(&value.significand, &hardware, sizeof value.significand);
  std::memcpy(
      &value.signAndExponent,
      reinterpret_cast<const char*>(&hardware) + sizeof value.significand,
      sizeof value.signAndExponent);
  return value;
}

std::string Shown(Operand value) {
  std::ostringstream text;
  text << std::hex << std::uppercase << std::setfill('0') << std::setw(4)
       << value.signAndExponent << ':' << std::setw(16) << value.significand;
  return text.str();
}

template <typename Number>
std::string ShownNumber(Number value) {
  std::ostringstream text;
  text << std::hex << std::uppercase << value;
  return text.str();
}

// Counts the operands on which the two sides differ and keeps the first few
// for the failure message.
struct Mismatches {
  std::uint64_t count = 0;
  std::string shown;

  void Note(const std::string& operands, const std::string& software,
            const std::string& hardware) {
    if (++count <= kShownMismatches) {
      shown += "  " + operands + ": software " + software + ", x87 " +
               hardware + "\n";
    }
  }
};

bool SameEncoding(Operand a, Operand b) {
  return a.significand == b.significand &&
         a.signAndExponent == b.signAndExponent;
}

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameBits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

class ExtendedDifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override { PutFloatControlInForce(); }

  void ExpectNone(const Mismatches& mismatches) {
    EXPECT_EQ(mismatches.count, 0u)
        << "of " << count_ << " operands (seed " << kSeed << "); the first:\n"
        << mismatches.shown;
  }

  template <typename Software, typename Hardware>
  void CompareBinary(Operation operation, Software software,
                     Hardware hardware) {
    Engine engine(kSeed + static_cast<std::uint64_t>(operation));
    Mismatches mismatches;
    for (std::uint64_t i = 0; i < count_; ++i) {
      const auto [a, b] = differential::OperandPair(engine, operation);
      const Operand fromSoftware = software(a, b);
      const Operand fromHardware =
          SoftwareOf(hardware(HardwareOf(a), HardwareOf(b)));
      if (!SameEncoding(fromSoftware, fromHardware)) {
        mismatches.Note(Shown(a) + " and " + Shown(b), Shown(fromSoftware),
                        Shown(fromHardware));
      }
    }
    ExpectNone(mismatches);
  }

  const std::uint64_t count_ = Setting("PHM210_DIFFERENTIAL_OPERANDS", 1000000);
};

TEST_F(ExtendedDifferentialTest, Addition) {
  CompareBinary(Operation::kAdd, soft::Add,
                [](long double a, long double b) { return a + b; });
}

TEST_F(ExtendedDifferentialTest, Multiplication) {
  CompareBinary(Operation::kMultiply, soft::Multiply,
                [](long double a, long double b) { return a * b; });
}

TEST_F(ExtendedDifferentialTest, Division) {
  CompareBinary(Operation::kDivide, soft::Divide,
                [](long double a, long double b) { return a / b; });
}

TEST_F(ExtendedDifferentialTest, ComparisonsSignAndMagnitude) {
  Engine engine(kSeed + 10);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    // Close operands half of the time, so that equal values come up too.
    auto [a, b] = differential::OperandPair(engine, Operation::kAdd);
    if (i % 4 == 0) b = a;
    if (i % 4 == 1) b = soft::Negate(a);
    const long double x = HardwareOf(a);
    const long double y = HardwareOf(b);
    const unsigned software =
        (soft::LessThan(a, b) ? 1u : 0u) | (soft::Equal(a, b) ? 2u : 0u) |
        (soft::IsNotANumber(a) ? 4u : 0u) | (soft::IsInfinite(a) ? 8u : 0u) |
        (soft::IsZero(a) ? 16u : 0u) | (soft::IsSignNegative(a) ? 32u : 0u);
    const unsigned hardware = (x < y ? 1u : 0u) | (x == y ? 2u : 0u) |
                              (std::isnan(x) ? 4u : 0u) |
                              (std::isinf(x) ? 8u : 0u) | (x == 0 ? 16u : 0u) |
                              (std::signbit(x) ? 32u : 0u);
    const bool sameSignChanges =
        SameEncoding(soft::Negate(a), SoftwareOf(-x)) &&
        SameEncoding(soft::Absolute(a), SoftwareOf(std::fabs(x)));
    if (software != hardware || !sameSignChanges) {
      mismatches.Note(Shown(a) + " and " + Shown(b), ShownNumber(software),
                      ShownNumber(hardware));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, FromDouble) {
  Engine engine(kSeed + 20);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    // Random bit patterns, with subnormals, infinities and not-a-numbers of
    // both kinds far more often than at random.
    std::uint64_t bits = engine();
    if (i % 4 == 0) bits &= 0x800FFFFFFFFFFFFFu;
    if (i % 4 == 1) bits |= 0x7FF0000000000000u;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    const Operand software = soft::FromDouble(value);
    const Operand hardware = SoftwareOf(static_cast<long double>(value));
    if (!SameEncoding(software, hardware)) {
      mismatches.Note(ShownNumber(bits), Shown(software), Shown(hardware));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, FromIntegers) {
  Engine engine(kSeed + 30);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    // Every width, so that every normalisation shift comes up.
    const std::uint64_t bits = engine() >> (engine() % 64);
    const auto signedValue =
        static_cast<std::int64_t>((i & 1) != 0 ? bits : 0 - bits);
    const Operand fromSigned = soft::FromInteger(signedValue);
    const Operand fromUnsigned = soft::FromUnsigned(bits);
    if (!SameEncoding(fromSigned,
                      SoftwareOf(static_cast<long double>(signedValue))) ||
        !SameEncoding(fromUnsigned,
                      SoftwareOf(static_cast<long double>(bits)))) {
      mismatches.Note(ShownNumber(bits), Shown(fromUnsigned),
                      Shown(SoftwareOf(static_cast<long double>(bits))));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, FromPartsAsLdexp) {
  Engine engine(kSeed + 40);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    const std::uint64_t significand = engine() >> (engine() % 64);
    // Mostly near the ends of the range, where rounding happens.
    const auto exponent = static_cast<std::int32_t>(
        i % 2 == 0 ? static_cast<std::int64_t>(engine() % 33000) - 16500
                   : static_cast<std::int64_t>(engine() % 200) - 16540);
    const bool negative = (i & 4) != 0;
    const Operand software = soft::FromParts(negative, significand, exponent);
    const long double magnitude =
        std::ldexp(static_cast<long double>(significand), exponent);
    const Operand hardware = SoftwareOf(negative ? -magnitude : magnitude);
    if (!SameEncoding(software, hardware)) {
      mismatches.Note(
          ShownNumber(significand) + " x 2^" + std::to_string(exponent),
          Shown(software), Shown(hardware));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, PartsOfFiniteValues) {
  Engine engine(kSeed + 50);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    const Operand value = differential::AnyEncoding(engine);
    if (soft::IsNotANumber(value) || soft::IsInfinite(value) ||
        soft::IsZero(value)) {
      continue;
    }
    const soft::Parts software = soft::PartsOf(value);
    const ExtendedParts hardware = PartsOfExtended(Extended{HardwareOf(value)});
    if (software.negative != hardware.negative ||
        software.significand != hardware.significand ||
        software.exponent != hardware.exponent) {
      mismatches.Note(Shown(value), ShownNumber(software.significand),
                      ShownNumber(hardware.significand));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, ToDouble) {
  Engine engine(kSeed + 60);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    const Operand value =
        differential::NarrowingOperand(engine, 53, -1022, 1023);
    const double software = soft::ToDouble(value);
    const auto hardware = static_cast<double>(HardwareOf(value));
    if (!SameBits(software, hardware)) {
      mismatches.Note(Shown(value), ShownNumber(software),
                      ShownNumber(hardware));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, ToSingle) {
  Engine engine(kSeed + 70);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    const Operand value = differential::NarrowingOperand(engine, 24, -126, 127);
    const float software = soft::ToSingle(value);
    const auto hardware = static_cast<float>(HardwareOf(value));
    if (!SameBits(software, hardware)) {
      mismatches.Note(Shown(value), ShownNumber(software),
                      ShownNumber(hardware));
    }
  }
  ExpectNone(mismatches);
}

TEST_F(ExtendedDifferentialTest, NearestIntegralAndIntegers) {
  Engine engine(kSeed + 80);
  Mismatches mismatches;
  for (std::uint64_t i = 0; i < count_; ++i) {
    const Operand value = differential::NearInteger(engine);
    const long double x = HardwareOf(value);
    const Operand software = soft::NearestIntegral(value);
    const Operand hardware = SoftwareOf(std::rint(x));
    if (!SameEncoding(software, hardware)) {
      mismatches.Note(Shown(value), Shown(software), Shown(hardware));
    }
    // The integers of values in range, fractions truncated as by a cast.
    if (!std::isnan(x) && std::fabs(x) < 0x1p63L) {
      const auto integer = static_cast<std::int64_t>(x);
      if (soft::IntegralToInteger(value) != integer) {
        mismatches.Note(Shown(value),
                        std::to_string(soft::IntegralToInteger(value)),
                        std::to_string(integer));
      }
    }
    if (x >= 0 && x < 0x1p64L) {
      const auto integer = static_cast<std::uint64_t>(x);
      if (soft::IntegralToUnsigned(value) != integer) {
        mismatches.Note(Shown(value),
                        std::to_string(soft::IntegralToUnsigned(value)),
                        std::to_string(integer));
      }
    }
  }
  ExpectNone(mismatches);
}

}  // namespace
