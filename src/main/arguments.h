#pragma once
// The run's arguments, numbered from 1 after the program's own name.

#include <cstdint>
#include <string_view>

// Number of non-empty arguments before the first empty one.
std::int32_t ArgumentCount();

// The i-th argument (i >= 1); empty beyond ArgumentCount().
std::string_view Argument(std::int32_t i);
