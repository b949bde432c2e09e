// watch: every notification the driver queues for the client handle, one line each as it arrives, until
// Ctrl+C or until the driver goes away.
#include "ctl/CtlHandlers.h"

#include <atomic>

namespace
{
// The run's stop event while watch runs; the console's control handler only signals it.
std::atomic<HANDLE> g_stopEvent{nullptr};

// A driver that goes away signals nothing, so the connection is asked after this long without a notification.
constexpr DWORD kConnectionCheckMs = 1000;

BOOL WINAPI OnConsoleControl(DWORD type)
{
    const HANDLE stop = g_stopEvent.load();
    if (stop == nullptr || (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT))
        return FALSE;
    (void)SetEvent(stop);
    return TRUE;
}

const wchar_t* Meaning(uint32_t code)
{
    switch (code)
    {
    case NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED:
        return L"sample rate or buffer sizes changed";
    case NORVIK_NOTIFY_STREAMING_STATE_CHANGED:
        return L"streaming state changed";
    case NORVIK_NOTIFY_SAMPLE_RATE_CHANGED:
        return L"sample rate changed";
    case NORVIK_NOTIFY_DEVICE_LIST_CHANGED:
        return L"device list changed";
    case NORVIK_NOTIFY_DEVICE_STATE_CHANGED:
        return L"unit state changed";
    case NORVIK_NOTIFY_MIXER_PINS_CHANGED:
        return L"mixer pins changed";
    case NORVIK_NOTIFY_VOLUMES_CHANGED:
        return L"output volumes changed";
    case NORVIK_NOTIFY_WEIGHTS_CHANGED:
        return L"crosspoint weights changed";
    default:
        return L"other notification";
    }
}

// The serial of the unit a notification names by its keys; empty when it names none.
std::wstring UnitOf(NorvikClient& client, const NorvikMessage& message)
{
    NorvikDeviceKeys keys{};
    if (message.GetExactPayload(&keys, sizeof(keys)) != NORVIK_STATUS_SUCCESS)
        return std::wstring();
    const NorvikDevice* device = client.FindDevice(keys.key1, keys.key2);
    if (device == nullptr)
    {
        // A unit that arrived since the list was read.
        bool changed = false;
        (void)client.UpdateDeviceList(&changed);
        device = client.FindDevice(keys.key1, keys.key2);
    }
    return device != nullptr ? std::wstring(device->Serial())
                             : FormatText(L"keys %08X:%08X", keys.key1, keys.key2);
}

void PrintNotification(CtlContext& context, const NorvikMessage& message)
{
    if (message.code == NORVIK_NOTIFY_DEVICE_LIST_CHANGED)
    {
        bool changed = false;
        (void)context.Client().UpdateDeviceList(&changed);
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring time = FormatText(L"%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth,
                                         now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    const std::wstring unit = UnitOf(context.Client(), message);
    context.Out().Line(FormatText(L"%s  %u  %s  %s", time.c_str(), message.code, Meaning(message.code),
                                  unit.empty() ? L"-" : unit.c_str()));
    context.Out().Emit({{"time", Utf8(time)},
                        {"code", message.code},
                        {"meaning", Utf8(Meaning(message.code))},
                        {"serial", unit.empty() ? nlohmann::json() : nlohmann::json(Utf8(unit))}});
}

// Prints the notifications as they come until the stop event is set (exit 0), the driver goes away or
// receiving fails.
int PrintUntilStopped(CtlContext& context)
{
    const HANDLE handles[] = {context.StopEvent(), context.Client().NotificationEvent()};
    for (;;)
    {
        const DWORD wait = WaitForMultipleObjects(2, handles, FALSE, kConnectionCheckMs);
        if (wait == WAIT_OBJECT_0)
            return kExitDone;
        if (wait == WAIT_TIMEOUT)
        {
            if (context.Client().CheckConnection())
                continue;
            return context.Out().Unavailable(L"The Corvex driver went away; watch ends.");
        }
        if (wait != WAIT_OBJECT_0 + 1)
        {
            context.Out().Error(FormatText(L"Waiting for notifications failed (error %u).", GetLastError()));
            return kExitRefused;
        }
        NorvikMessage message;
        NorvikStatus status = NORVIK_STATUS_SUCCESS;
        while ((status = context.Client().ReceiveNotification(&message)) == NORVIK_STATUS_SUCCESS)
            PrintNotification(context, message);
        if (status != NORVIK_STATUS_NO_MORE_ITEMS)
            return context.Out().Refused(L"Receiving notifications", status);
    }
}
} // namespace

int RunWatch(CtlContext& context, const CtlArgs& args)
{
    const int connected = context.ConnectWithoutArguments(L"watch", args);
    if (connected != kExitDone)
        return connected;
    g_stopEvent.store(context.StopEvent());
    (void)SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    const int result = PrintUntilStopped(context);
    (void)SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    g_stopEvent.store(nullptr);
    return result;
}
