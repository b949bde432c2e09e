// The frame's side of the driver: connecting mainClient, the notification path and the status bar.
#include "cpl/MainFrame.h"

#include "cpl/framework/ModalScope.h"
#include "driverapi/NorvikValueTexts.h"
#include "wn/WnPostWindowMessageThread.h"

#include <string>
#include <vector>

namespace
{
// Turns mainClient's notification event into WM_DRIVER_NOTIFICATION; it never touches the client itself.
WnPostWindowMessageThread notificationThread;

// The state a unit on a USB 1.1 port reports: it cannot stream.
constexpr uint32_t kStreamingStateUsb11 = 6;

// Empty for a state the panel has no words for: the pane keeps what it showed.
std::wstring StreamingStateText(uint32_t state)
{
    if (const wchar_t* name = StreamingStateName(state))
        return std::wstring(L"Streaming state: ") + name;
    return state == kStreamingStateUsb11 ? L"Streaming not supported on USB 1.1 port." : L"";
}

// The device page of the unit a notification names; null when its payload is not exactly a key pair.
FormDevice* DevicePageFor(const DevicePages& pages, const NorvikMessage& message)
{
    NorvikDeviceKeys keys{};
    if (message.GetExactPayload(&keys, sizeof(keys)) != NORVIK_STATUS_SUCCESS)
        return nullptr;
    return pages.Find(keys.key1, keys.key2);
}

constexpr size_t kNotificationBatch = 64;

// A mixer notification (3050 to 3052) that comes again for the same unit later in the batch: only the last
// layout or values matter.
bool RepeatedLater(const std::vector<NorvikMessage>& batch, size_t index)
{
    const NorvikMessage& message = batch[index];
    if (message.code != NORVIK_NOTIFY_MIXER_PINS_CHANGED && message.code != NORVIK_NOTIFY_VOLUMES_CHANGED &&
        message.code != NORVIK_NOTIFY_WEIGHTS_CHANGED)
        return false;
    NorvikDeviceKeys keys{};
    if (message.GetExactPayload(&keys, sizeof(keys)) != NORVIK_STATUS_SUCCESS)
        return false;
    for (size_t later = index + 1; later < batch.size(); ++later)
    {
        NorvikDeviceKeys laterKeys{};
        if (batch[later].code == message.code &&
            batch[later].GetExactPayload(&laterKeys, sizeof(laterKeys)) == NORVIK_STATUS_SUCCESS &&
            laterKeys.key1 == keys.key1 && laterKeys.key2 == keys.key2)
            return true;
    }
    return false;
}

void ReloadMixers(const FormDevice& page, uint32_t code)
{
    for (FormMixer* mixer : {&page.SoftwareOutputsMixer(), &page.HardwareInputsMixer()})
        if (code == NORVIK_NOTIFY_MIXER_PINS_CHANGED)
            mixer->RebuildIfVisible();
        else if (code == NORVIK_NOTIFY_VOLUMES_CHANGED)
            mixer->ReloadVolumes();
        else
            mixer->ReloadWeights();
}
} // namespace

bool MainFrame::IsNotificationThreadRunning()
{
    return notificationThread.IsRunning();
}

bool MainFrame::ConnectDriver()
{
    // A connection that broke under the client (the driver was restarted) is let go completely, thread
    // included, so that a new one is made.
    if (!mainClient.CheckConnection() && notificationThread.IsRunning())
        DisconnectDriver();
    if (mainClient.IsOpen() || mainClient.OpenAsClient(NORVIK_DRIVER_NAME) != NORVIK_STATUS_SUCCESS)
        return false;
    (void)notificationThread.Start(Hwnd(), mainClient.NotificationEvent(), WM_DRIVER_NOTIFICATION);
    // The service announces the device list only when it changes; read it now so the pages start complete.
    bool changed = false;
    (void)mainClient.UpdateDeviceList(&changed);
    return true;
}

void MainFrame::DisconnectDriver()
{
    visibleClient_.CloseAll();
    // The thread waits on the client's event: stop it before the event goes. It still runs when a broken
    // connection has closed the client already.
    if (mainClient.IsOpen() || notificationThread.IsRunning())
    {
        (void)notificationThread.Stop();
        mainClient.CloseAll();
    }
}

void MainFrame::DrainNotifications()
{
    // They stay queued at the driver until the open box or dialog has closed (the panel's modal rule).
    if (ModalScope::HoldBack(Hwnd(), WM_DRIVER_NOTIFICATION))
        return;
    // Taken in batches, so that repeats of a mixer notification already queued cost one rebuild or reload.
    std::vector<NorvikMessage> batch;
    for (;;)
    {
        batch.clear();
        NorvikMessage message;
        while (batch.size() < kNotificationBatch)
        {
            message.Init(0, 0);
            if (mainClient.ReceiveNotification(&message) != NORVIK_STATUS_SUCCESS)
                break;
            batch.push_back(message);
        }
        for (size_t i = 0; i < batch.size(); ++i)
            if (!RepeatedLater(batch, i))
                OnDriverNotification(batch[i]);
        if (batch.size() < kNotificationBatch)
            return;
    }
}

void MainFrame::OnDriverNotification(const NorvikMessage& message)
{
    switch (message.code)
    {
    case NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED:
        sampleRatePage_.Refresh();
        bufferSettingsPage_.Refresh();
        UpdateStatusBar();
        break;
    case NORVIK_NOTIFY_SAMPLE_RATE_CHANGED:
        sampleRatePage_.Refresh();
        UpdateStatusBar();
        break;
    case NORVIK_NOTIFY_DEVICE_LIST_CHANGED:
    {
        if (IsWindowVisible(Hwnd()) && !visibleClient_.IsOpen())
            (void)visibleClient_.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY);
        bool changed = false;
        (void)mainClient.UpdateDeviceList(&changed);
        if (changed)
        {
            if (mainClient.DeviceCount() == 0)
                DisconnectDriver();
            RebuildPageTree();
        }
        // Also without a change: after a reconnection the list was read at the arrival, but the service
        // brings streaming up only afterwards and announces it with this notification.
        UpdateStatusBar();
        if (FormBase* selected = selection_->SelectedPage())
            selected->Refresh();
        break;
    }
    case NORVIK_NOTIFY_DEVICE_STATE_CHANGED:
        if (FormDevice* page = DevicePageFor(devicePages_, message))
            page->Refresh();
        UpdateStatusBar();
        break;
    case NORVIK_NOTIFY_MIXER_PINS_CHANGED:
    case NORVIK_NOTIFY_VOLUMES_CHANGED:
    case NORVIK_NOTIFY_WEIGHTS_CHANGED:
        if (const FormDevice* page = DevicePageFor(devicePages_, message))
            ReloadMixers(*page, message.code);
        break;
    default:
        // 3010 and everything else: nothing to show.
        break;
    }
}

void MainFrame::UpdateStatusBar()
{
    if (!mainClient.IsOpen())
    {
        statusBar_.SetPaneText(1, L"Driver not available.");
        statusBar_.SetPaneText(2, L"");
        return;
    }
    NorvikStreamingStatus status{};
    if (mainClient.GetStreamingStatus(&status) != NORVIK_STATUS_SUCCESS)
    {
        statusBar_.SetPaneText(1, L"Streaming state unknown");
        statusBar_.SetPaneText(2, L"Current sampling rate: unknown");
        return;
    }
    const std::wstring state = StreamingStateText(status.state);
    if (!state.empty())
        statusBar_.SetPaneText(1, state.c_str());
    statusBar_.SetPaneText(2, (L"Current sampling rate: " + SampleRateText(status.sampleRate)).c_str());
}
