// The frame's own driver requests (connecting, the device list, the status bar, notifications, the visible
// client) and the Sample Rate page's, failed at each place they are sent: the frame shows what it owes and
// comes back with the driver. Prints the coverage, beside the pages' own matrix.
#include "tests/cpl/CplFrameFixture.h"
#include "tests/common/FaultMatrix.h"

#include "driverapi/NorvikStatus.h"
#include "resources/corvexcpl.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <iterator>

namespace
{
class FrameFaultMatrix : public CplFrameFixture
{
  public:
    using Place = FaultPlace<FrameFaultMatrix>;

    void Inject(uint32_t ioctl, NorvikStatus status, int32_t times = 1)
    {
        model_.InjectFault(ioctl, status, times);
    }

    void ExpectDisconnected()
    {
        EXPECT_FALSE(mainClient.IsOpen());
        EXPECT_FALSE(MainFrame::IsNotificationThreadRunning());
        EXPECT_TRUE(frame_->Selection().PagesInOrder().empty());
        EXPECT_EQ(&frame_->NoDevicePage(), frame_->CurrentPage());
        EXPECT_EQ(L"Driver not available.", StatusText(1));
    }

    // The next arrival brings the frame back whole, whatever the failure left behind.
    void ExpectBackAtTheNextArrival()
    {
        SendArrival(L"\\\\?\\USB#corvex");
        DrainDriver();
        EXPECT_TRUE(mainClient.IsOpen());
        EXPECT_EQ(model_.Units().size(), mainClient.DeviceCount());
        EXPECT_EQ(L"Streaming state: Down", StatusText(1));
    }

    // Opening fails at one of its steps: the frame stays without a driver until the next arrival.
    void Connect(NorvikStatus status, uint32_t ioctl)
    {
        Inject(ioctl, status);
        CreateFrame();
        ExpectDisconnected();
        ExpectBackAtTheNextArrival();
    }
    void ConnectDriverInfo(NorvikStatus status) { Connect(status, NORVIK_IOCTL_GET_DRIVER_INFO); }
    void ConnectEvents(NorvikStatus status) { Connect(status, NORVIK_IOCTL_SET_EVENTS); }
    void ConnectRole(NorvikStatus status) { Connect(status, NORVIK_IOCTL_SET_ROLE); }

    // A list that cannot be read counts as empty; the service's next list notification brings the units.
    void ConnectDeviceList(NorvikStatus status)
    {
        Inject(NORVIK_IOCTL_GET_DEVICE_LIST, status);
        CreateFrame();
        EXPECT_EQ(0u, mainClient.DeviceCount());
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        DrainDriver();
        if (!mainClient.IsOpen())
        {
            ExpectBackAtTheNextArrival();
        }
        EXPECT_EQ(model_.Units().size(), mainClient.DeviceCount());
    }

    // At a list notification: an unreadable list empties the tree and lets the driver go, as when the last
    // unit leaves; the next arrival connects again.
    void NotifiedDeviceList(NorvikStatus status)
    {
        CreateFrame();
        Inject(NORVIK_IOCTL_GET_DEVICE_LIST, status);
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        DrainDriver();
        ExpectDisconnected();
        ExpectBackAtTheNextArrival();
    }

    void StatusBar(NorvikStatus status)
    {
        CreateFrame();
        Inject(NORVIK_IOCTL_GET_STREAMING_STATUS, status);
        frame_->UpdateStatusBar();
        EXPECT_EQ(L"Streaming state unknown", StatusText(1));
        EXPECT_EQ(L"Current sampling rate: unknown", StatusText(2));
        frame_->UpdateStatusBar();
        EXPECT_EQ(L"Current sampling rate: 48.000 kHz", StatusText(2));
    }

    // A notification that cannot be taken is lost; the ones after it are handled.
    void Notification(NorvikStatus status)
    {
        CreateFrame();
        Inject(NORVIK_IOCTL_RECEIVE_NOTIFICATION, status);
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED);
        model_.SetCurrentRate(96000);
        DrainDriver();
        if (!mainClient.IsOpen())
        {
            ExpectBackAtTheNextArrival();
        }
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED);
        DrainDriver();
        EXPECT_EQ(L"Current sampling rate: 96.000 kHz", StatusText(2));
    }

    // The visible window's auxiliary handle is opened when the window shows; when that fails the frame goes
    // on, and the next list notification opens it.
    void VisibleClient(NorvikStatus status)
    {
        CreateFrame();
        ShowWindow(frame_->Hwnd(), SW_HIDE);
        Inject(NORVIK_IOCTL_SET_ROLE, status);
        ShowWindow(frame_->Hwnd(), SW_SHOW);
        PumpMessages();
        EXPECT_FALSE(frame_->VisibleClient().IsOpen());
        EXPECT_TRUE(mainClient.IsOpen());
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        DrainDriver();
        EXPECT_TRUE(frame_->VisibleClient().IsOpen());
        EXPECT_EQ(model_.Units().size(), mainClient.DeviceCount());
    }

    HWND RateItem(int id) { return frame_->SampleRatePage().Item(id); }

    void RateList(NorvikStatus status)
    {
        CreateFrame();
        Inject(NORVIK_IOCTL_GET_SAMPLE_RATES, status);
        frame_->SampleRatePage().Refresh();
        EXPECT_EQ(0, SendMessageW(RateItem(IDC_RATE_LIST), CB_GETCOUNT, 0, 0));
        EXPECT_FALSE(IsWindowEnabled(RateItem(IDC_RATE_LIST)));
        EXPECT_FALSE(IsWindowEnabled(RateItem(IDC_RATE_APPLY)));
    }

    void RateApply(NorvikStatus status)
    {
        CreateFrame();
        Inject(NORVIK_IOCTL_SEND_MESSAGE, status);
        const std::wstring rate = StatusText(2);
        DialogCloser closer;
        SendMessageW(frame_->SampleRatePage().Window(), WM_COMMAND, MAKEWPARAM(IDC_RATE_APPLY, BN_CLICKED),
                     reinterpret_cast<LPARAM>(RateItem(IDC_RATE_APPLY)));
        ASSERT_EQ(1u, closer.Seen().size());
        const char* name = StatusName(status);
        EXPECT_EQ(L"Changing the sample rate failed. (Status=" + std::wstring(name, name + strlen(name)) +
                      L").",
                  closer.Seen()[0].text);
        EXPECT_EQ(rate, StatusText(2)) << "nothing changed";
    }
};

const FrameFaultMatrix::Place kPlaces[] = {
    {"frame: open, driver info", NORVIK_IOCTL_GET_DRIVER_INFO, &FrameFaultMatrix::ConnectDriverInfo},
    {"frame: open, events", NORVIK_IOCTL_SET_EVENTS, &FrameFaultMatrix::ConnectEvents},
    {"frame: open, role", NORVIK_IOCTL_SET_ROLE, &FrameFaultMatrix::ConnectRole},
    {"frame: device list at connect", NORVIK_IOCTL_GET_DEVICE_LIST, &FrameFaultMatrix::ConnectDeviceList},
    {"frame: device list notified", NORVIK_IOCTL_GET_DEVICE_LIST, &FrameFaultMatrix::NotifiedDeviceList},
    {"frame: status bar", NORVIK_IOCTL_GET_STREAMING_STATUS, &FrameFaultMatrix::StatusBar},
    {"frame: notification", NORVIK_IOCTL_RECEIVE_NOTIFICATION, &FrameFaultMatrix::Notification},
    {"frame: visible client", NORVIK_IOCTL_SET_ROLE, &FrameFaultMatrix::VisibleClient},
    {"sample rate: list", NORVIK_IOCTL_GET_SAMPLE_RATES, &FrameFaultMatrix::RateList},
    {"sample rate: apply", NORVIK_IOCTL_SEND_MESSAGE, &FrameFaultMatrix::RateApply},
};

// What the frame and the Sample Rate page send.
const uint32_t kFrameSends[] = {
    NORVIK_IOCTL_GET_DRIVER_INFO,  NORVIK_IOCTL_SET_EVENTS,           NORVIK_IOCTL_SET_ROLE,
    NORVIK_IOCTL_GET_DEVICE_LIST,  NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_IOCTL_RECEIVE_NOTIFICATION,
    NORVIK_IOCTL_GET_SAMPLE_RATES, NORVIK_IOCTL_SEND_MESSAGE,
};
} // namespace

TEST_F(FrameFaultMatrix, EveryPlaceReactsAsSpecifiedAndTheFrameComesBack)
{
    RunFaultMatrix("frame", *this, model_, kPlaces, kFrameSends,
                   [this]
                   {
                       DestroyFrame();
                       CloseClient();
                   });
}

// Device lists the driver should never send: a count far past the records, strings without their terminator,
// a reply cut short. The frame keeps inside the record, opens only what it can bind, and never crashes.
TEST_F(FrameFaultMatrix, MalformedDeviceListsStayInsideTheirBounds)
{
    CreateFrame();
    const std::vector<NorvikDeviceRecord> units = model_.Units();
    ASSERT_EQ(2u, units.size());
    NorvikDeviceList list{};
    list.count = 1000;
    list.devices[0] = units[0];
    list.devices[1] = units[1];
    std::fill(std::begin(list.devices[1].name), std::end(list.devices[1].name), L'N');
    const auto* bytes = reinterpret_cast<const uint8_t*>(&list);
    const struct
    {
        const char* what;
        size_t size;
        size_t devices;
    } cases[] = {
        {"count past the records, a name without terminator", sizeof(list), 2},
        {"cut inside the second record",
         offsetof(NorvikDeviceList, devices) + sizeof(NorvikDeviceRecord) + 10, 1},
        {"cut inside the count", 2, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        model_.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, 0, 1, std::vector<uint8_t>(bytes, bytes + c.size));
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        DrainDriver();
        EXPECT_EQ(c.devices, mainClient.DeviceCount());
        if (mainClient.DeviceCount() == 2)
        {
            EXPECT_EQ(41u, wcslen(mainClient.DeviceAt(1)->Record().name)) << "terminated inside the record";
        }
        // Whatever the list left, the next arrival and a good list bring every unit back.
        SendArrival(L"\\\\?\\USB#corvex");
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        DrainDriver();
        EXPECT_EQ(2u, mainClient.DeviceCount());
    }
}
