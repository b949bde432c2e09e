#include "service/ServiceRunner.h"
#include "wn/WnThread.h"

#include <memory>
#include <string>

std::vector<ServiceBase*>& ServiceList()
{
    static std::vector<ServiceBase*> services;
    return services;
}

namespace
{
// One service's console run; its result is kept for the program's exit code.
class ConsoleRun final : public WnThreadCallbackInterface
{
  public:
    explicit ConsoleRun(ServiceBase* service) : service_(service) {}
    DWORD Run() override
    {
        result = service_->RunConsole();
        return result;
    }

    DWORD result = ERROR_SUCCESS;

  private:
    ServiceBase* service_; // not owned
};

bool RunDispatcher()
{
    std::vector<std::wstring> names;
    names.reserve(ServiceList().size());
    std::vector<SERVICE_TABLE_ENTRYW> table;
    for (ServiceBase* service : ServiceList())
    {
        names.emplace_back(service->GetServiceName());
        table.push_back(SERVICE_TABLE_ENTRYW{names.back().data(), service->GetServiceMainEntry()});
    }
    table.push_back(SERVICE_TABLE_ENTRYW{nullptr, nullptr});
    return StartServiceCtrlDispatcherW(table.data()) != FALSE;
}

bool RunInConsole(DWORD* consoleResult)
{
    if (!SetConsoleCtrlHandler(ConsoleControlHandler, TRUE))
        return false;
    std::vector<std::unique_ptr<ConsoleRun>> runs;
    std::vector<WnThread> threads(ServiceList().size());
    for (size_t i = 0; i < ServiceList().size(); ++i)
    {
        runs.push_back(std::make_unique<ConsoleRun>(ServiceList()[i]));
        (void)threads[i].Start(runs.back().get());
    }
    for (size_t i = 0; i < threads.size(); ++i)
    {
        (void)threads[i].Wait(INFINITE);
        if (consoleResult != nullptr && *consoleResult == ERROR_SUCCESS)
            *consoleResult = runs[i]->result;
    }
    return true;
}
} // namespace

bool RunServices(bool console, DWORD* consoleResult)
{
    if (consoleResult != nullptr)
        *consoleResult = ERROR_SUCCESS;
    return console ? RunInConsole(consoleResult) : RunDispatcher();
}

BOOL WINAPI ConsoleControlHandler(DWORD controlType)
{
    if (controlType != CTRL_C_EVENT && controlType != CTRL_BREAK_EVENT)
        return FALSE;
    for (ServiceBase* service : ServiceList())
        service->StopNotifications();
    return TRUE;
}
