#include "platform/module_info.h"

#include <unistd.h>

#include <climits>
#include <cstring>

// The linker places the executable's ELF header at its load address.
extern "C" const char __ehdr_start;

namespace {

char moduleName[PATH_MAX + 1];
std::string_view moduleNameView;

}  // namespace

std::string_view ModuleFileName() {
  if (moduleNameView.empty()) {
    const ssize_t length =
        readlink("/proc/self/exe", moduleName, sizeof moduleName - 1);
    if (length <= 0) return "phm210";
    moduleName[length] = '\0';
    const char* slash = std::strrchr(moduleName, '/');
    moduleNameView = slash != nullptr ? slash + 1 : moduleName;
    if (moduleNameView.size() > 260)
      moduleNameView = moduleNameView.substr(0, 260);
  }
  return moduleNameView;
}

std::uint32_t DistanceFromModuleBase(const void* codeAddress) {
  return static_cast<std::uint32_t>(
      reinterpret_cast<std::uintptr_t>(codeAddress) -
      reinterpret_cast<std::uintptr_t>(&__ehdr_start));
}
