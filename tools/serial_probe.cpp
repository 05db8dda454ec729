// phm210-serial-probe: one exchange through the serial link alone (open,
// send a query, receive one line, close), for trying a port or the simulated
// meter and for measuring the link without the rest of the driver.
//
// Usage: phm210-serial-probe [--port NAME] [--settings TEXT] [--timeout MS]
//                            [QUERY]
//   NAME defaults to com2:, TEXT to "baud=9600 parity=n data=8 stop=1 ",
//   MS to 1000 and QUERY (C escapes allowed) to "?RD pH\r".
// Prints the received line, escaped, and the time the exchange took.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "byte_escapes.h"
#include "ucommw32/ucommw32.h"

int main(int argumentCount, char** arguments) {
  std::string port = "com2:";
  std::string settings = "baud=9600 parity=n data=8 stop=1 ";
  unsigned long timeout = 1000;
  std::string query = "?RD pH\r";
  for (int i = 1; i < argumentCount; ++i) {
    const std::string_view name = arguments[i];
    const bool hasValue = i + 1 < argumentCount;
    if (name == "--port" && hasValue) {
      port = arguments[++i];
    } else if (name == "--settings" && hasValue) {
      settings = arguments[++i];
    } else if (name == "--timeout" && hasValue) {
      timeout = std::strtoul(arguments[++i], nullptr, 10);
      if (timeout > 65535) timeout = 65535;
    } else if (!name.starts_with("--") && DecodeBytes(name, query)) {
    } else {
      std::fprintf(stderr,
                   "usage: phm210-serial-probe [--port NAME] [--settings TEXT]"
                   " [--timeout MS] [QUERY]\n");
      return 2;
    }
  }
  AssignCountedText(PortName, port);
  settings.push_back('\0');  // the settings text carries its own NUL
  AssignCountedText(PortSettings, settings);
  TimeoutMs = static_cast<std::uint16_t>(timeout);
  CountedText queryText;
  AssignCountedText(queryText, query);

  const auto start = std::chrono::steady_clock::now();
  OpenPort();
  SendText(queryText);
  CountedText line;
  ReceiveLine(line);
  ClosePort();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);

  std::printf("reply \"%s\" after %lld ms\n", EscapeBytes(View(line)).c_str(),
              static_cast<long long>(elapsed.count()));
  return 0;
}
