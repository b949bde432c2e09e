#pragma once
#include "service/ServiceBase.h"

// Handles the program's command line for `service` and returns the process exit code. Only the first
// argument counts, compared exactly.
int RunCommandLine(int argc, wchar_t** argv, ServiceBase& service);
