#pragma once
// Seam: the program's own executable, as failure reports name it.

#include <cstdint>
#include <string_view>

// The executable's file name without its directory, at most 260 bytes.
std::string_view ModuleFileName();

// The distance in bytes of a code address from the load address of the
// executable that holds it: the same for one place in every run of a build.
std::uint32_t DistanceFromModuleBase(const void* codeAddress);
