// Every numbers test runs under the setting that start-up puts in force.

#include <gtest/gtest.h>

#include "numbers/extended.h"

namespace {

class FloatControlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { PutFloatControlInForce(); }
};

const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new FloatControlEnvironment);

}  // namespace
