#include "platform/process_exit.h"

#include <unistd.h>

void ExitProcessWithStatus(int status) { _exit(status); }
