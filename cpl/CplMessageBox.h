// The control panel's message boxes: captioned with the program title, owned by the given window.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <windows.h>
#include <string>

// The program title, the caption of every box and of the main window.
std::wstring CplTitle();

// Reports a failed action: "<message> (Status=<name>)." with the cause line where there is one, error icon.
void ReportFailure(HWND owner, const wchar_t* message, NorvikStatus status);

// A warning with the program title as caption.
void ShowWarning(HWND owner, const wchar_t* text);
