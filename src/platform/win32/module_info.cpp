#include "platform/module_info.h"

#include <windows.h>

#include <cstring>

// The linker places the image's headers at its load address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr DWORD kModuleNameCapacity = 260;

char modulePath[MAX_PATH + 1];
std::string_view moduleName;

}  // namespace

std::string_view ModuleFileName() {
  if (moduleName.empty()) {
    const DWORD length = GetModuleFileNameA(
        reinterpret_cast<HMODULE>(&__ImageBase), modulePath, MAX_PATH);
    if (length == 0) return "phm210.exe";
    modulePath[length < MAX_PATH ? length : MAX_PATH] = '\0';
    const char* backslash = std::strrchr(modulePath, '\\');
    moduleName = backslash != nullptr ? backslash + 1 : modulePath;
    if (moduleName.size() > kModuleNameCapacity) {
      moduleName = moduleName.substr(0, kModuleNameCapacity);
    }
  }
  return moduleName;
}

std::uint32_t DistanceFromModuleBase(const void* codeAddress) {
  return static_cast<std::uint32_t>(
      reinterpret_cast<std::uintptr_t>(codeAddress) -
      reinterpret_cast<std::uintptr_t>(&__ImageBase));
}
