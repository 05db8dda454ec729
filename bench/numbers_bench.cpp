// Speed of the number texts: writing a real result and reading a meter reply
// or an argument, over values of every magnitude; and of the double-extended
// operations under them. Built once per double-extended type (numbers_bench
// on the type the build chose, numbers_bench_software on the software type
// where that is the x87), each name ending in its type, so that the two
// compare side by side.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "main/counted_text.h"
#include "numbers/decimal_separator.h"
#include "numbers/extended.h"
#include "numbers/format_real.h"
#include "numbers/parse_argument.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"

namespace {

constexpr std::size_t kSampleCount =
    4096;  // a power of two, for the index mask

// Typical readings: pH, millivolts and degrees with two decimals.
std::vector<double> Readings() {
  std::mt19937_64 random(1);
  std::vector<double> values;
  for (std::size_t i = 0; i < kSampleCount; ++i) {
    values.push_back(static_cast<double>(random() % 200000) / 100.0 - 1000.0);
  }
  return values;
}

// Random bit patterns: every exponent of the double range.
std::vector<double> AnyDoubles() {
  std::mt19937_64 random(2);
  std::vector<double> values;
  while (values.size() < kSampleCount) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
  }
  return values;
}

std::vector<std::string> TextsOf(const std::vector<double>& values) {
  std::vector<std::string> texts;
  for (double value : values) texts.emplace_back(View(FormatReal(value)));
  return texts;
}

void FormatRealOf(benchmark::State& state, const std::vector<double>& values) {
  std::size_t i = 0;
  for (auto _ : state) {
    CountedText text = FormatReal(values[i++ & (kSampleCount - 1)]);
    benchmark::DoNotOptimize(text);
  }
}

void BM_FormatRealReadings(benchmark::State& state) {
  static const std::vector<double> values = Readings();
  FormatRealOf(state, values);
}

void BM_FormatRealAnyDouble(benchmark::State& state) {
  static const std::vector<double> values = AnyDoubles();
  FormatRealOf(state, values);
}

void ParseReadingOf(benchmark::State& state,
                    const std::vector<std::string>& texts) {
  std::size_t i = 0;
  for (auto _ : state) {
    const ParsedReading reading = ParseReading(texts[i++ & (kSampleCount - 1)]);
    benchmark::DoNotOptimize(reading);
  }
}

void BM_ParseReadingMeterReplies(benchmark::State& state) {
  // The meter answers with a few digits around a point.
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> result;
    std::mt19937_64 random(3);
    for (std::size_t i = 0; i < kSampleCount; ++i) {
      result.push_back(std::to_string(random() % 2000) + "." +
                       std::to_string(random() % 10) +
                       std::to_string(random() % 10));
    }
    return result;
  }();
  ParseReadingOf(state, texts);
}

void BM_ParseReadingFormattedAnyDouble(benchmark::State& state) {
  // 18 digits and exponents across the whole range: the longest texts.
  static const std::vector<std::string> texts = TextsOf(AnyDoubles());
  ParseReadingOf(state, texts);
}

void BM_ParseArgumentFormattedAnyDouble(benchmark::State& state) {
  static const std::vector<std::string> texts = TextsOf(AnyDoubles());
  std::size_t i = 0;
  for (auto _ : state) {
    const double value = ParseArgument(texts[i++ & (kSampleCount - 1)]);
    benchmark::DoNotOptimize(value);
  }
}

// The operations one at a time, on operands of every magnitude that keep
// the results finite.
std::vector<Extended> Operands() {
  std::mt19937_64 random(4);
  std::vector<Extended> values;
  for (std::size_t i = 0; i < kSampleCount; ++i) {
    const double magnitude =
        std::ldexp(1.0 + static_cast<double>(random() % 1000000) / 1000000.0,
                   static_cast<int>(random() % 2000) - 1000);
    values.push_back(ExtendedFromDouble(random() % 2 ? magnitude : -magnitude));
  }
  return values;
}

template <Extended (*kOperation)(Extended, Extended)>
void BM_Operation(benchmark::State& state) {
  static const std::vector<Extended> values = Operands();
  std::size_t i = 0;
  for (auto _ : state) {
    const Extended result = kOperation(values[i & (kSampleCount - 1)],
                                       values[(i + 1) & (kSampleCount - 1)]);
    ++i;
    benchmark::DoNotOptimize(result);
  }
}

void BM_RoundToInteger(benchmark::State& state) {
  static const std::vector<Extended> values = [] {
    std::vector<Extended> result;
    for (double reading : Readings()) {
      result.push_back(MultiplyExtended(ExtendedFromDouble(reading),
                                        ExtendedFromDouble(100.0)));
    }
    return result;
  }();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::int64_t rounded =
        RoundToInteger(values[i++ & (kSampleCount - 1)]);
    benchmark::DoNotOptimize(rounded);
  }
}

#if PHM210_EXTENDED_IN_SOFTWARE
constexpr const char* kExtendedType = "software";
#else
constexpr const char* kExtendedType = "x87";
#endif

void Register(const std::string& name, void (*function)(benchmark::State&)) {
  benchmark::RegisterBenchmark((name + "/" + kExtendedType).c_str(), function);
}

}  // namespace

int main(int argc, char** argv) {
  PutFloatControlInForce();
  SetDecimalSeparator('.');
  Register("FormatReal/readings", BM_FormatRealReadings);
  Register("FormatReal/any_double", BM_FormatRealAnyDouble);
  Register("ParseReading/meter_replies", BM_ParseReadingMeterReplies);
  Register("ParseReading/formatted_any_double",
           BM_ParseReadingFormattedAnyDouble);
  Register("ParseArgument/formatted_any_double",
           BM_ParseArgumentFormattedAnyDouble);
  Register("Extended/add", BM_Operation<AddExtended>);
  Register("Extended/multiply", BM_Operation<MultiplyExtended>);
  Register("Extended/divide", BM_Operation<DivideExtended>);
  Register("RoundToInteger/reading_times_100", BM_RoundToInteger);
  benchmark::AddCustomContext("double-extended", kExtendedType);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
