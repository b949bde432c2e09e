// Sends control commands to a running simulator over \\.\pipe\NAME-control.
#pragma once

#include "wn/WnFileHandle.h"

#include <windows.h>

#include <string>

class SimControlClient
{
  public:
    // Waits up to timeoutMs for a busy or not yet created pipe. 2 (ERROR_FILE_NOT_FOUND) when no simulator
    // serves the name.
    [[nodiscard]] DWORD Connect(const std::wstring& name, DWORD timeoutMs = 2000);
    // One line out, one line back.
    [[nodiscard]] DWORD Send(const std::string& line, std::string* reply);

  private:
    WnFileHandle pipe_;
};
