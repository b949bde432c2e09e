#pragma once
#include "wn/WnConsoleOutput.h"
#include "service/WnEventLogWriter.h"

// In console mode the texts meant for the event log go to the console, one entry per line.
class ConsoleEventLogMirror final : public WnEventLogMirror
{
  public:
    void OnReport(WORD, DWORD, const wchar_t* text) override
    {
        ConsoleWrite(text);
        ConsoleWrite(L"\r\n");
    }
};
