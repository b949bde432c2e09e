// The driver object: opening in its roles, the device list and how units are recognised in it, notifications,
// and counts from the driver bounded by their records.
#include "ModelFixture.h"

#include "driverapi/NorvikDriver.h"

#include <cwchar>
#include <functional>
#include <string>

namespace
{
// Counts the device objects it makes, and can make ones whose OnOpened fails.
class CountingDriver : public NorvikDriver
{
  public:
    class FailingDevice : public NorvikDevice
    {
      public:
        NorvikStatus OnOpened() override { return NORVIK_STATUS_NO_RESOURCES; }
    };

    std::unique_ptr<NorvikDevice> CreateDevice() override
    {
        ++created;
        if (failOnOpened)
            return std::make_unique<FailingDevice>();
        return NorvikDriver::CreateDevice();
    }

    int created = 0;
    bool failOnOpened = false;
};

SimUnitSpec Unit(const wchar_t* serial, uint16_t identity1 = 0x2A39, uint16_t identity2 = 0x0102)
{
    SimUnitSpec unitSpec;
    unitSpec.serial = serial;
    unitSpec.identity1 = identity1;
    unitSpec.identity2 = identity2;
    return unitSpec;
}

class DriverTest : public ModelTest
{
  protected:
    DriverTest() : ModelTest(0) {}

    void Plug(const SimUnitSpec& unitSpec, NorvikDeviceKeys* keys = nullptr)
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(unitSpec, keys));
    }

    // Updates and returns changed.
    bool Update(NorvikDriver& driver, NorvikStatus expected = NORVIK_STATUS_SUCCESS)
    {
        bool changed = true; // must come back false when nothing changed
        EXPECT_EQ(expected, driver.UpdateDeviceList(&changed));
        return changed;
    }
};
} // namespace

TEST_F(DriverTest, DeviceListFollowsPlugAndUnplug)
{
    NorvikDeviceKeys keys{};
    Plug(Unit(L"S-1"), &keys);
    CountingDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));

    EXPECT_TRUE(Update(driver));
    ASSERT_EQ(1u, driver.DeviceCount());
    NorvikDevice* device = driver.DeviceAt(0);
    EXPECT_TRUE(device->IsOpen());
    EXPECT_EQ(device, driver.FindDevice(keys.key1, keys.key2));
    EXPECT_STREQ(L"S-1", device->Serial());
    EXPECT_STREQ(NORVIK_DRIVER_NAME, device->DriverName());
    EXPECT_EQ(2u, SettledHandleCount(2u)) << "the device has a handle of its own";

    EXPECT_FALSE(Update(driver)) << "nothing added or removed";
    EXPECT_EQ(device, driver.DeviceAt(0));
    EXPECT_EQ(1, driver.created);

    // Unplugging the only unit.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(keys.key1, keys.key2));
    EXPECT_TRUE(Update(driver));
    EXPECT_EQ(0u, driver.DeviceCount());
    EXPECT_EQ(nullptr, driver.DeviceAt(0));
    EXPECT_EQ(nullptr, driver.FindDevice(keys.key1, keys.key2));
    EXPECT_EQ(1u, SettledHandleCount(1u)) << "the device's handle went with it";
}

TEST_F(DriverTest, UnitRecognisedByIdentityWordsAndSerial)
{
    static const struct
    {
        const char* what;
        std::function<void(NorvikDeviceRecord&)> change;
        bool sameObject;
    } cases[] = {
        {"new keys", [](NorvikDeviceRecord& r) { r.key1 += 100, r.key2 += 7; }, true},
        {"streaming flag set", [](NorvikDeviceRecord& r) { r.streamingFlags |= 1; }, true},
        {"new name", [](NorvikDeviceRecord& r) { r.name[0] = L'Z'; }, true},
        {"serial in other case", [](NorvikDeviceRecord& r) { r.serial[0] = L'a'; }, false},
        {"serial one character longer", [](NorvikDeviceRecord& r) { r.serial[18] = L'S'; }, false},
        {"identity word 1", [](NorvikDeviceRecord& r) { r.identity1 ^= 1; }, false},
        {"identity word 2", [](NorvikDeviceRecord& r) { r.identity2 ^= 0x100; }, false},
    };
    Plug(Unit(L"ABCDEFGHIJKLMNOPQR")); // 18 characters
    for (const auto& c : cases)
    {
        CountingDriver driver;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
        EXPECT_TRUE(Update(driver));
        ASSERT_EQ(1u, driver.DeviceCount());

        NorvikDeviceList list = ModelDeviceList(model_);
        c.change(list.devices[0]);
        model_.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_SUCCESS, 1, RecordBytes(list));
        EXPECT_EQ(!c.sameObject, Update(driver)) << c.what;
        EXPECT_EQ(c.sameObject ? 1 : 2, driver.created) << c.what;
        ASSERT_EQ(1u, driver.DeviceCount()) << c.what;
        const NorvikDevice* device = driver.DeviceAt(0);
        EXPECT_EQ(0, std::memcmp(&list.devices[0], &device->Record(), sizeof(NorvikDeviceRecord))) << c.what;
        EXPECT_EQ(device, driver.FindDevice(list.devices[0].key1, list.devices[0].key2)) << c.what;
    }
}

TEST_F(DriverTest, SameIdentityWordsDifferentSerialsAreTwoUnits)
{
    NorvikDeviceKeys first{};
    NorvikDeviceKeys second{};
    Plug(Unit(L"SERIAL-A"), &first);
    Plug(Unit(L"SERIAL-B"), &second);
    NorvikDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
    EXPECT_TRUE(Update(driver));
    ASSERT_EQ(2u, driver.DeviceCount());
    EXPECT_STREQ(L"SERIAL-A", driver.FindDevice(first.key1, first.key2)->Serial());
    EXPECT_STREQ(L"SERIAL-B", driver.FindDevice(second.key1, second.key2)->Serial());
    EXPECT_EQ(driver.DeviceAt(0), driver.FindDevice(first.key1, first.key2)) << "in the driver's order";
}

TEST_F(DriverTest, DeviceListCountsBoundedByTheRecord)
{
    for (int i = 0; i < 8; ++i)
        Plug(Unit((L"UNIT-" + std::to_wstring(i)).c_str()));
    static const struct
    {
        const char* what;
        uint32_t count;
        uint32_t bytes; // of the 1124-byte record that arrive
        size_t expectedDevices;
    } cases[] = {
        {"all eight", 8, sizeof(NorvikDeviceList), 8},
        {"count nine", 9, sizeof(NorvikDeviceList), 8},
        {"count 0xFFFFFFFF", 0xFFFFFFFF, sizeof(NorvikDeviceList), 8},
        {"count zero empties the list", 0, sizeof(NorvikDeviceList), 0},
        {"two records arrived", 8, 4 + 2 * sizeof(NorvikDeviceRecord) + 139, 2},
        {"count only", 8, 4, 0},
        {"not even the count", 8, 3, 0},
    };
    for (const auto& c : cases)
    {
        NorvikDriver driver;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
        EXPECT_TRUE(Update(driver));
        NorvikDeviceList list = ModelDeviceList(model_);
        list.count = c.count;
        std::vector<uint8_t> bytes = RecordBytes(list);
        bytes.resize(c.bytes);
        model_.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_SUCCESS, 1, bytes);
        EXPECT_EQ(c.expectedDevices != 8, Update(driver)) << c.what;
        EXPECT_EQ(c.expectedDevices, driver.DeviceCount()) << c.what;
    }
}

TEST_F(DriverTest, UnterminatedStringsAreCut)
{
    NorvikDeviceKeys keys{};
    Plug(Unit(L"S"), &keys);
    NorvikDeviceList list = ModelDeviceList(model_);
    std::fill(std::begin(list.devices[0].serial), std::end(list.devices[0].serial), L's');
    std::fill(std::begin(list.devices[0].name), std::end(list.devices[0].name), L'n');
    list.devices[0].speedFlags = 0xFF; // and the byte after the name is not a terminator either
    model_.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_SUCCESS, 1, RecordBytes(list));

    NorvikDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
    EXPECT_TRUE(Update(driver));
    ASSERT_EQ(1u, driver.DeviceCount());
    EXPECT_EQ(19u, std::wcslen(driver.DeviceAt(0)->Serial()));
    EXPECT_EQ(41u, std::wcslen(driver.DeviceAt(0)->Name()));
}

TEST_F(DriverTest, FailedListRequestDestroysEveryDevice)
{
    Plug(Unit(L"S-1"));
    Plug(Unit(L"S-2"));
    NorvikDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
    EXPECT_TRUE(Update(driver));
    ASSERT_EQ(2u, driver.DeviceCount());
    model_.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_FAILED);
    EXPECT_TRUE(Update(driver, NORVIK_STATUS_FAILED));
    EXPECT_EQ(0u, driver.DeviceCount());
    EXPECT_TRUE(Update(driver)) << "the units come back as new objects";
    EXPECT_EQ(2u, driver.DeviceCount());
}

TEST_F(DriverTest, DevicesThatCannotOpenStayOut)
{
    NorvikDeviceKeys keys{};
    Plug(Unit(L"S-1"), &keys);
    static const struct
    {
        const char* what;
        std::function<void(DriverModel&, CountingDriver&)> arrange;
    } cases[] = {{"OnOpened fails", [](DriverModel&, CountingDriver& driver) { driver.failOnOpened = true; }},
                 {"bind fails", [](DriverModel& model, CountingDriver&)
                  { model.InjectFault(NORVIK_IOCTL_BIND_DEVICE, NORVIK_STATUS_DEVICE_REMOVED); }},
                 {"open fails", [](DriverModel& model, CountingDriver&)
                  { model.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_NO_RESOURCES); }}};
    for (const auto& c : cases)
    {
        CountingDriver driver;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
        c.arrange(model_, driver);
        EXPECT_FALSE(Update(driver)) << c.what;
        EXPECT_EQ(0u, driver.DeviceCount()) << c.what;
        EXPECT_EQ(nullptr, driver.FindDevice(keys.key1, keys.key2)) << c.what;
        EXPECT_EQ(1u, SettledHandleCount(1u)) << c.what << ": the failed device's handle is closed";
        model_.ClearFaults();

        // The next update tries again with a new object.
        driver.failOnOpened = false;
        EXPECT_TRUE(Update(driver)) << c.what;
        EXPECT_EQ(1u, driver.DeviceCount()) << c.what;
        EXPECT_EQ(2, driver.created) << c.what;
    }
}

TEST_F(DriverTest, OpenInEachRole)
{
    NorvikDriver client;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME));
    const HANDLE messageEvent = client.MessageEvent();
    const HANDLE notificationEvent = client.NotificationEvent();
    EXPECT_NE(nullptr, messageEvent);
    EXPECT_NE(nullptr, notificationEvent);
    EXPECT_STREQ(NORVIK_DRIVER_NAME, client.DriverName());

    EXPECT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME)) << "a second open is a no-op";
    EXPECT_EQ(1u, SettledHandleCount(1u));
    EXPECT_EQ(messageEvent, client.MessageEvent());
    EXPECT_EQ(NORVIK_STATUS_REJECTED, client.OpenWithEvents(NORVIK_DRIVER_NAME, true, true));
    EXPECT_TRUE(client.IsOpen());

    client.CloseAll();
    client.CloseAll();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(nullptr, client.MessageEvent());
    EXPECT_EQ(nullptr, client.NotificationEvent());
    EXPECT_EQ(0u, SettledHandleCount(0u));

    NorvikDriver auxiliary;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              auxiliary.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY_MIXER));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, auxiliary.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
    EXPECT_EQ(nullptr, auxiliary.MessageEvent());
    EXPECT_EQ(1u, SettledHandleCount(1u));

    // A role the driver refuses leaves the object closed.
    NorvikDriver refused;
    model_.InjectFault(NORVIK_IOCTL_SET_ROLE, NORVIK_STATUS_ALREADY_DONE);
    EXPECT_EQ(NORVIK_STATUS_ALREADY_DONE, refused.OpenAsClient(NORVIK_DRIVER_NAME));
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(nullptr, refused.MessageEvent());
    model_.InjectFault(NORVIK_IOCTL_SET_EVENTS, NORVIK_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              refused.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_EQ(1u, SettledHandleCount(1u));
}

TEST_F(DriverTest, CloseAllKeepsTheDeviceList)
{
    Plug(Unit(L"S-1"));
    NorvikDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAsClient(NORVIK_DRIVER_NAME));
    EXPECT_TRUE(Update(driver));
    driver.CloseAll();
    ASSERT_EQ(1u, driver.DeviceCount());
    NorvikDriverInfo info{};
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, driver.DeviceAt(0)->GetDriverInfo(&info))
        << "devices keep their own handles";
}

TEST_F(DriverTest, NotificationsSignalTheEventAndDrain)
{
    NorvikDriver client;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME));
    const uint32_t keys[2] = {5, 6};
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_MIXER_PINS_CHANGED, keys, sizeof(keys));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.NotificationEvent(), 10000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(client.NotificationEvent(), 0))
        << "auto-reset: one wake for both";

    // A record of another type in the queue is dropped.
    NorvikMessage stray;
    stray.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_POLICY);
    model_.InjectFault(NORVIK_IOCTL_RECEIVE_NOTIFICATION, NORVIK_STATUS_SUCCESS, 1, RecordBytes(stray));

    NorvikMessage message;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&message));
    EXPECT_EQ(NORVIK_MSG_NOTIFICATION, message.type);
    EXPECT_EQ(NORVIK_NOTIFY_DEVICE_LIST_CHANGED, message.code);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&message));
    EXPECT_EQ(NORVIK_NOTIFY_MIXER_PINS_CHANGED, message.code);
    uint32_t payload[2] = {};
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, message.GetExactPayload(payload, sizeof(payload)));
    EXPECT_EQ(6u, payload[1]);
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, client.ReceiveNotification(&message));

    // A success that brings less than a header ends the drain instead of looping on empty records.
    model_.InjectFault(NORVIK_IOCTL_RECEIVE_NOTIFICATION, NORVIK_STATUS_SUCCESS, -1, {3, 0, 0, 0});
    EXPECT_EQ(NORVIK_STATUS_INVALID_MSG_SIZE, client.ReceiveNotification(&message));
}

TEST_F(DriverTest, DriverCountsBoundedByTheirRecords)
{
    NorvikDriver driver;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));

    NorvikSampleRates rates{48000, 1000, {}};
    model_.InjectFault(NORVIK_IOCTL_GET_SAMPLE_RATES, NORVIK_STATUS_SUCCESS, 1, RecordBytes(rates));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.GetSampleRates(&rates));
    EXPECT_EQ(NORVIK_MAX_SAMPLE_RATES, rates.count);

    rates.count = 10;
    std::vector<uint8_t> shortRates = RecordBytes(rates);
    shortRates.resize(8 + 3 * 4 + 2);
    model_.InjectFault(NORVIK_IOCTL_GET_SAMPLE_RATES, NORVIK_STATUS_SUCCESS, 1, shortRates);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.GetSampleRates(&rates));
    EXPECT_EQ(3u, rates.count) << "only three rates arrived";

    NorvikChannelList channels{};
    channels.count = 5000;
    model_.InjectFault(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, NORVIK_STATUS_SUCCESS, 1, RecordBytes(channels));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.GetInChannelList(&channels));
    EXPECT_EQ(NORVIK_MAX_CHANNELS, channels.count);

    NorvikChannelInfo info{};
    std::fill(std::begin(info.name), std::end(info.name), L'c');
    model_.InjectFault(NORVIK_IOCTL_GET_CHANNEL_INFO, NORVIK_STATUS_SUCCESS, 1, RecordBytes(info));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.GetChannelInfo(NorvikChannelId{1, 2}, &info));
    EXPECT_EQ(41u, std::wcslen(info.name));

    // On failure the caller's record stays as it was.
    rates.count = 77;
    model_.InjectFault(NORVIK_IOCTL_GET_SAMPLE_RATES, NORVIK_STATUS_FAILED);
    EXPECT_EQ(NORVIK_STATUS_FAILED, driver.GetSampleRates(&rates));
    EXPECT_EQ(77u, rates.count);
}
