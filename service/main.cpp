// corvexsvc: installs, removes, starts and stops itself as a Windows service, runs as that service, or runs
// the same device control in a console window.
#include "service/CommandLine.h"
#include "service/NorvikService.h"

namespace
{
// The one service object of the process, made before the entry point runs.
NorvikService g_norvikService;
} // namespace

int wmain(int argc, wchar_t** argv)
{
    return RunCommandLine(argc, argv, g_norvikService);
}
