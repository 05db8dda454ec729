#include "platform/process_exit.h"

#include <windows.h>

void ExitProcessWithStatus(int status) {
  ExitProcess(static_cast<UINT>(status));
}
