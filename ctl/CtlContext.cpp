#include "ctl/CtlContext.h"

#include "ctl/CtlArguments.h"
#include "ctl/CtlCommand.h"

CtlContext::CtlContext(CtlConsole& console, HANDLE stopEvent) : output_(console), stopEvent_(stopEvent)
{
    output_.SetLostConnectionCheck([this] { return LostConnection(); });
}

const wchar_t* CtlContext::LostConnection() const
{
    if (client_.ConnectionLost())
        return L"The connection to the Corvex driver was lost.";
    for (size_t i = 0; i < client_.DeviceCount(); ++i)
        if (client_.DeviceAt(i)->ConnectionLost())
            return L"The unit is no longer connected.";
    return nullptr;
}

int CtlContext::Usage(const std::wstring& problem)
{
    return output_.Usage(problem, command_ != nullptr ? UsageLine(*command_)
                                                      : std::wstring(L"usage: corvexctl --help"));
}

int CtlContext::Connect()
{
    if (connected_)
        return kExitDone;
    const NorvikStatus status = client_.OpenAsClient(NORVIK_DRIVER_NAME);
    // The driver lets administrators in only; without elevation the open is refused with 5.
    if (status == ERROR_ACCESS_DENIED)
    {
        return output_.Unavailable(L"Access to the Corvex driver was denied (error 5).\n"
                                   L"Run corvexctl from a command prompt started as administrator.");
    }
    if (status != NORVIK_STATUS_SUCCESS)
    {
        const char* name = StatusName(status);
        return output_.Unavailable(
            name[0] != '?' ? FormatText(L"The Corvex driver is not available (Status=%hs).", name)
                           : FormatText(L"The Corvex driver is not available (error %u).", status));
    }
    bool changed = false;
    const NorvikStatus listed = client_.UpdateDeviceList(&changed);
    if (listed != NORVIK_STATUS_SUCCESS)
        return output_.Refused(L"Reading the device list", listed);
    connected_ = true;
    return kExitDone;
}

int CtlContext::ConnectWithoutArguments(const wchar_t* command, const CtlArgs& args)
{
    return args.empty() ? Connect() : Usage(std::wstring(command) + L" takes no arguments.");
}

int CtlContext::FindUnit(const std::wstring& serial, NorvikDevice** device)
{
    *device = nullptr;
    if (!ctl_arguments::IsSerial(serial))
        return Usage(L"'" + serial + L"' is not a serial number.");
    const int connected = Connect();
    if (connected != kExitDone)
        return connected;
    for (size_t i = 0; i < client_.DeviceCount(); ++i)
    {
        NorvikDevice* candidate = client_.DeviceAt(i);
        if (serial == candidate->Serial())
        {
            *device = candidate;
            return kExitDone;
        }
    }
    return output_.Unavailable(L"No unit with serial " + serial + L" is connected.");
}
