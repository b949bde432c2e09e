// The control panel's command line, stored once for the process: the main frame consults it again while it
// creates its window.
#pragma once

#include <string>

class CplCommandLine
{
  public:
    static void Store(const wchar_t* commandLine);
    static const std::wstring& Get();
    // True when `name` is one of the whitespace-delimited tokens, compared without regard to case.
    // Quotation marks are not interpreted.
    static bool HasSwitch(const wchar_t* name);
    static bool HasSwitch(const std::wstring& commandLine, const wchar_t* name);
};

// The switches.
constexpr const wchar_t* kSwitchExit = L"-exit";
constexpr const wchar_t* kSwitchHide = L"-hide";
constexpr const wchar_t* kSwitchNoTray = L"-notray";
