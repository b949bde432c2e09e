// corvexctl from its arguments to its exit code, with the console and the stop event given, so tests run
// it in their own process.
#pragma once

#include "ctl/CtlConsole.h"

#include <windows.h>

#include <string>
#include <vector>

// `arguments` without the program name. stopEvent (not owned) ends a watch.
int RunCorvexCtl(const std::vector<std::wstring>& arguments, CtlConsole& console, HANDLE stopEvent);
