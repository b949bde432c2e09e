#include "service/CommandLine.h"
#include "wn/WnConsoleOutput.h"
#include "service/ServiceRunner.h"
#include "service/ServiceVersion.h"

#include <cwchar>
#include <new>

namespace
{
// Reports a control manager operation and passes its result on as the exit code.
int Reported(DWORD result, const wchar_t* success, const wchar_t* failure)
{
    ConsoleWrite(result == ERROR_SUCCESS ? success : failure);
    return static_cast<int>(result);
}

int RunService(ServiceBase& service, bool console)
{
    try
    {
        ServiceList().push_back(&service);
    }
    catch (const std::bad_alloc&)
    {
        return -1;
    }
    DWORD consoleResult = ERROR_SUCCESS;
    if (!RunServices(console, &consoleResult))
        return -1;
    return static_cast<int>(consoleResult);
}

void PrintHelp(const ServiceBase& service)
{
    ConsolePrint(L"\n%s V%d.%02d\n%s Service\n\nSupported command line options:\n"
                 L" -install    Install the service.\n"
                 L" -uninstall  Uninstall the service.\n"
                 L" -start      Start the service.\n"
                 L" -stop       Stop the service.\n"
                 L" -console    Start service in console mode.\n"
                 L" -h, -?      Print this help message.\n\n",
                 service.GetServiceName(), kServiceVersionMajor, kServiceVersionMinor,
                 service.GetDisplayName());
}
} // namespace

int RunCommandLine(int argc, wchar_t** argv, ServiceBase& service)
{
    if (argc < 2)
    {
        ConsoleWrite(L"No arguments given, use -h.\n");
        return 1;
    }
    const wchar_t* option = argv[1];
    if (wcscmp(option, L"-install") == 0)
    {
        (void)service.StopInstalled();
        (void)service.Uninstall();
        return Reported(service.Install(), L"Service installed successfully.\n",
                        L"Error installing service.\n");
    }
    if (wcscmp(option, L"-uninstall") == 0)
    {
        (void)service.StopInstalled();
        return Reported(service.Uninstall(), L"Service uninstalled successfully.\n",
                        L"Error uninstalling service.\n");
    }
    if (wcscmp(option, L"-start") == 0)
    {
        return Reported(service.StartInstalled(), L"Service started successfully.\n",
                        L"Error starting service.\n");
    }
    if (wcscmp(option, L"-stop") == 0)
    {
        return Reported(service.StopInstalled(), L"Service stopped successfully.\n",
                        L"Error stopping service.\n");
    }
    if (wcscmp(option, L"-h") == 0 || wcscmp(option, L"-?") == 0)
    {
        PrintHelp(service);
        return 0;
    }
    if (wcscmp(option, L"-console") == 0)
        return RunService(service, true);
    if (wcscmp(option, L"-service") == 0)
        return RunService(service, false);
    ConsolePrint(L"Unknown argument %s, use -h.\n", option);
    return 1;
}
