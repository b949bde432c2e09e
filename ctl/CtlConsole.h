// Where corvexctl's text goes: the process's standard output and error, or a test's buffers.
#pragma once

#include "wn/WnConsoleOutput.h"

#include <string>

class CtlConsole
{
  public:
    virtual ~CtlConsole() = default;
    virtual void Out(const std::wstring& text) = 0;
    virtual void Err(const std::wstring& text) = 0;
};

// Each write goes out at once, so a pipe or file sees every line as soon as it is printed.
class ProcessConsole : public CtlConsole
{
  public:
    void Out(const std::wstring& text) override { ConsoleWrite(text.c_str()); }
    void Err(const std::wstring& text) override { ConsoleWriteError(text.c_str()); }
};
