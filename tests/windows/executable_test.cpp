// The cross-built Windows programs, as objdump sees them: the machine each was
// built for, a console program, and imports of Windows' own DLLs only (the
// compiler's run-time libraries are linked in).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Executable {
  std::string format;  // objdump's file format, e.g. pei-i386
  std::string path;
};

// PHM210_WINDOWS_EXES is "FORMAT=PATH|FORMAT=PATH...".
std::vector<Executable> ExecutablesUnderTest() {
  std::vector<Executable> result;
  std::istringstream list(PHM210_WINDOWS_EXES);
  for (std::string entry; std::getline(list, entry, '|');) {
    const std::size_t equals = entry.find('=');
    result.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
  }
  return result;
}

std::string Objdump(const std::string& option, const std::string& path) {
  const std::string command =
      std::string(PHM210_OBJDUMP) + " " + option + " '" + path + "' 2>&1";
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
    output.append(chunk, n);
  }
  pclose(pipe);
  return output;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::set<std::string> ImportedDlls(const std::string& privateHeaders) {
  std::set<std::string> dlls;
  std::istringstream lines(privateHeaders);
  const std::string marker = "DLL Name: ";
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(marker);
    if (at != std::string::npos)
      dlls.insert(Lower(line.substr(at + marker.size())));
  }
  return dlls;
}

TEST(WindowsExecutable, IsAConsoleProgramForItsMachine) {
  for (const Executable& exe : ExecutablesUnderTest()) {
    SCOPED_TRACE(exe.path);
    EXPECT_NE(Objdump("-f", exe.path).find("file format " + exe.format + "\n"),
              std::string::npos);
    EXPECT_NE(Objdump("-p", exe.path).find("(Windows CUI)"), std::string::npos);
  }
}

TEST(WindowsExecutable, ImportsOnlyDllsOfWindowsItself) {
  const std::set<std::string> system = {"kernel32.dll", "msvcrt.dll"};
  for (const Executable& exe : ExecutablesUnderTest()) {
    SCOPED_TRACE(exe.path);
    const std::set<std::string> dlls = ImportedDlls(Objdump("-p", exe.path));
    EXPECT_TRUE(dlls.count("kernel32.dll")) << "no imports found";
    for (const std::string& dll : dlls) {
      EXPECT_TRUE(system.count(dll)) << dll << " does not come with Windows";
    }
  }
}

}  // namespace
