// The text with which a program tells the user that an action failed.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <string>

// "<message> (Status=<name>)." and, for the statuses whose cause the user can act on, a line break and the
// cause.
std::wstring StatusReport(const wchar_t* message, NorvikStatus status);
