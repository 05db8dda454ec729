#include "main/dispatch.h"

#include "main/failure.h"

void StartUp() { PutFailureReportInForce(); }

void DispatchCommand() {}
