#include "main/arguments.h"

#include "platform/command_line.h"

std::int32_t ArgumentCount() {
  std::int32_t count = 0;
  while (!RawArgument(count + 1).empty()) ++count;
  return count;
}

std::string_view Argument(std::int32_t i) {
  // An empty argument ends the list: nothing after it is ever seen.
  if (i < 1 || i > ArgumentCount()) return {};
  return RawArgument(i);
}
