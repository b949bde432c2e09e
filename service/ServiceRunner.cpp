#include "service/ServiceRunner.h"
#include "wn/WnThread.h"
#include "wn/WnThreadCallbackForwarderT.h"

#include <memory>
#include <string>

std::vector<ServiceBase*>& ServiceList()
{
    static std::vector<ServiceBase*> services;
    return services;
}

namespace
{
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

bool RunInConsole()
{
    if (!SetConsoleCtrlHandler(ConsoleControlHandler, TRUE))
    {
        return false;
    }
    using Forwarder = WnThreadCallbackForwarderT<ServiceBase>;
    std::vector<std::unique_ptr<Forwarder>> bodies;
    std::vector<WnThread> threads(ServiceList().size());
    for (size_t i = 0; i < ServiceList().size(); ++i)
    {
        bodies.push_back(std::make_unique<Forwarder>(ServiceList()[i], &ServiceBase::RunConsole));
        (void)threads[i].Start(bodies.back().get());
    }
    for (WnThread& thread : threads)
    {
        (void)thread.Wait(INFINITE);
    }
    return true;
}
} // namespace

bool RunServices(bool console)
{
    return console ? RunInConsole() : RunDispatcher();
}

BOOL WINAPI ConsoleControlHandler(DWORD controlType)
{
    if (controlType != CTRL_C_EVENT && controlType != CTRL_BREAK_EVENT)
    {
        return FALSE;
    }
    for (ServiceBase* service : ServiceList())
    {
        service->StopNotifications();
    }
    return TRUE;
}
