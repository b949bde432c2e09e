// corvexctl: the command-line client of the Corvex driver and its service, for scripts and support.
#include "ctl/CtlProgram.h"
#include "wn/WnEvent.h"

int wmain(int argc, wchar_t** argv)
{
    WnEvent stop;
    if (stop.Create(true) != ERROR_SUCCESS)
    {
        ConsoleWriteError(L"corvexctl: cannot create an event.\n");
        return 1;
    }
    ProcessConsole console;
    return RunCorvexCtl(std::vector<std::wstring>(argv + 1, argv + argc), console, stop.Get());
}
