// The control commands: replies, their effect on the model and the notifications they raise.
#include "ModelTestHandle.h"
#include "simulator/SimControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace
{
bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(SimControl, RepliesToEveryCommand)
{
    const struct
    {
        const char* line;
        const char* reply; // prefix
    } cases[] = {
        {"help", "ok commands:"},
        {"plug CVX30001 usb11 plugin nospdif", "ok 0x"},
        {"plug CVX30001", "error: a unit with serial CVX30001 is connected"},
        {"plug CVX30002 turbo", "error: unknown plug option 'turbo'"},
        {"plug CVX30003 analog 4", "ok 0x"},
        {"plug CVX30004 analog 3", "error: usage: analog N"},
        {"plug 12345678901234567890", "error: usage: plug"},
        {"unplug CVX30001", "ok"},
        {"unplug CVX30001", "error: no unit with serial CVX30001"},
        {"set rate 96000", "ok"},
        {"set rate fast", "error: usage: set rate HZ"},
        {"set rates 44100 48000 2822400", "ok"},
        {"set rates 8000 8000 8000 8000 8000 8000 8000 8000 8000 8000 8000 8000 8000",
         "error: at most 12 rates"},
        {"set rates", "error: usage: set rates HZ..."},
        {"set rates 0", "error: rates are 8000 to 768000 Hz"},
        {"set rates 44100 2822401", "error: rates are"},
        {"set rate 7999", "error: rates are"},
        {"set buffers 1 2", "ok"},
        {"set buffers 1 2 3", "ok"},
        {"set buffers 1", "error: usage"},
        {"set buffers 6 0", "error: buffer classes are STREAMING 0 to 5 and ASIO 0 to 3"},
        {"set buffers 0 4 3", "error: buffer classes"},
        {"set activity 0 0 1 0 0 0", "ok"},
        {"set activity 0 1", "error: usage"},
        {"set errors 1 2 3 4 0x10", "ok"},
        {"set state Error", "ok"},
        {"set state 7", "error: INVALID_PARAMETER"},
        {"set state Sleeping", "error: usage"},
        {"set state Down now", "error: usage: set state"},
        {"set policy 0x3", "ok"},
        {"set driver-version 3 4 56 debug", "ok"},
        {"set interface 2 7", "ok"},
        {"set present maybe", "error: usage: set present on|off"},
        {"set present", "error: usage: set present on|off"},
        {"set volume 3", "error: unknown 'set volume'"},
        {"set", "error: usage: set WHAT"},
        {"client start 4", "ok"},
        {"client stop 4", "ok"},
        {"client stop 4", "error: INVALID_STATE"},
        {"client start 9", "error: INVALID_PARAMETER"},
        {"spdif CVX10001 3 1 44100", "ok"},
        {"spdif CVX10001 none", "ok"},
        {"spdif CVX10001 1 2 3 4", "error: usage"},
        {"hwvolume CVX10001 0 3 -600 mute", "ok"},
        {"hwvolume CVX10001 2 3 -600", "error: INVALID_PARAMETER"},
        {"hwvolume CVX10001 0 3 40000", "error: usage"},
        {"endpoint-volume CVX10001 0 -65536 -65536", "error: OBJECT_NOT_FOUND"},
        {"endpoint-volume CVX10001 0 -65536", "error: usage"},
        {"topology CVX10002 kind2", "ok"},
        {"topology CVX10002 on", "error: usage"},
        {"levels fixed -300", "ok"},
        {"levels loud", "error: usage"},
        {"notify server 3015 @CVX10001", "ok"},
        {"notify clients 3040 1 2", "ok"},
        {"notify clients 3040 @NOPE", "error: no unit with serial NOPE"},
        {"notify everyone 3040", "error: usage"},
        {"fail GET_STREAMING_STATUS NORVIK_STATUS_TIMEOUT", "ok"},
        {"fail NORVIK_IOCTL_GET_POLICY IN_USE always", "ok"},
        {"fail 0x80882004 0xE0000001 3", "ok"},
        {"fail GET_POLICY none", "ok"},
        {"fail GET_POLICY SLOW", "error: unknown status SLOW"},
        {"fail GET_NOTHING TIMEOUT", "error: usage: fail"},
        {"fail GET_POLICY TIMEOUT 0", "error: times must be"},
        {"fail clear", "ok"},
        {"log", "ok ["},
        {"log clear", "ok"},
        {"dump", "ok {"},
        {"dump now", "error: usage: dump"},
        {"quit now", "error: usage: quit"},
        {"", "error: empty command"},
        {"frobnicate", "error: unknown command 'frobnicate'"},
        {"quit", "ok"},
    };
    DriverModel model;
    SimControl control(model);
    for (const auto& c : cases)
    {
        std::string reply = control.Execute(c.line);
        EXPECT_TRUE(StartsWith(reply, c.reply)) << c.line << " -> " << reply;
        EXPECT_EQ(std::string::npos, reply.find('\n')) << c.line;
    }
    EXPECT_TRUE(control.QuitRequested());

    SimDriverState settings = model.Settings();
    EXPECT_EQ(96000u, settings.currentRate);
    EXPECT_EQ(3u, settings.rates.size());
    EXPECT_EQ(3u, settings.thirdBufferValue);
    EXPECT_EQ(16u, settings.errorCounters[4]);
    EXPECT_EQ(NORVIK_STREAMING_ERROR, settings.state);
    EXPECT_EQ(3u, settings.policy);
    EXPECT_EQ(1u, settings.info.flags);
    EXPECT_EQ(7u, settings.info.interfaceMinor);
    EXPECT_EQ(56u, settings.info.driverBuild);
}

// The "help" reply and --help are written from the command table: each verb listed is a command, and --help
// has a line for each.
TEST(SimControl, HelpListsEveryCommand)
{
    DriverModel model;
    SimControl control(model);
    const std::string help = SimControl::Help();
    std::istringstream listed(control.Execute("help").substr(std::strlen("ok commands:")));
    size_t verbs = 0;
    for (std::string verb; listed >> verb && verb != "(details:"; ++verbs)
    {
        EXPECT_FALSE(StartsWith(control.Execute(verb), "error: unknown")) << verb;
        EXPECT_NE(std::string::npos, help.find("\n  " + verb)) << verb;
    }
    EXPECT_EQ(15u, verbs);
}

TEST(SimControl, PlugTellsTheObserverAndTheServer)
{
    DriverModel model;
    std::vector<std::pair<bool, std::wstring>> seen;
    SimControl control(model, [&](bool plugged, const NorvikDeviceRecord& record)
                       { seen.emplace_back(plugged, record.serial); });
    ModelTestHandle server(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    EXPECT_EQ("ok", control.Execute("plug CVX40001").substr(0, 2));
    EXPECT_EQ("ok", control.Execute("unplug CVX40001"));
    EXPECT_EQ("ok", control.Execute("plug CVX40001").substr(0, 2));
    ASSERT_EQ(3u, seen.size());
    EXPECT_TRUE(seen[0].first);
    EXPECT_FALSE(seen[1].first);
    EXPECT_EQ(L"CVX40001", seen[1].second);
    EXPECT_EQ(3u, model.QueuedNotifications(server.Id()));
    std::vector<NorvikDeviceRecord> units = model.Units();
    ASSERT_EQ(3u, units.size());
    EXPECT_NE(0x1003u, units[2].key1) << "re-plugged units get new keys";
}

TEST(SimControl, FaultsAndNotificationsReachTheRequests)
{
    DriverModel model;
    SimControl control(model);
    ModelTestHandle server(model), client(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));

    ASSERT_EQ("ok", control.Execute("fail GET_POLICY NORVIK_STATUS_IN_USE 2"));
    uint32_t policy = 0;
    EXPECT_EQ(NORVIK_STATUS_IN_USE, client.Get(NORVIK_IOCTL_GET_POLICY, &policy));
    EXPECT_EQ(NORVIK_STATUS_IN_USE, client.Get(NORVIK_IOCTL_GET_POLICY, &policy));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, client.Get(NORVIK_IOCTL_GET_POLICY, &policy));

    ASSERT_EQ("ok", control.Execute("notify server 3060 @CVX10002 2 5"));
    NorvikMessage note;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.ReceiveNotification(&note));
    EXPECT_EQ(3060u, note.code);
    ASSERT_EQ(16u, note.length);
    NorvikDeviceRecord second = model.Units()[1];
    const uint32_t expected[4] = {second.key1, second.key2, 2, 5};
    EXPECT_EQ(0, memcmp(expected, note.payload, 16));

    ASSERT_EQ("ok", control.Execute("set buffers 4 2 9"));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED, note.code);
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, client.ReceiveNotification(&note));

    std::string log = control.Execute("log");
    EXPECT_NE(std::string::npos, log.find("\"status\":\"IN_USE\"")) << log;
}
// Other pin lists, cut from the full ones, for the mixer's edge cases; clients hear of them with 3050.
TEST(SimControl, PinsCutTheMixerPinLists)
{
    DriverModel model;
    SimControl control(model);
    ModelTestHandle client(model), unit(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    const NorvikDeviceRecord first = model.Units()[0];
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, unit.Bind(first.key1, first.key2));
    const auto pinCount = [&unit](uint32_t selector)
    {
        NorvikPin pins[32];
        uint32_t bytes = 0;
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, unit.Ioctl(NORVIK_IOCTL_GET_MIXER_PINS, &selector, sizeof(selector),
                                                    pins, sizeof(pins), &bytes));
        return bytes / sizeof(NorvikPin);
    };

    EXPECT_EQ("ok", control.Execute("pins CVX10001 1 3 0"));
    EXPECT_EQ(1u, pinCount(NORVIK_PINS_MIXER_OUTPUTS));
    EXPECT_EQ(3u, pinCount(NORVIK_PINS_HARDWARE_INPUTS));
    EXPECT_EQ(0u, pinCount(NORVIK_PINS_SOFTWARE_OUTPUTS));
    NorvikMessage note;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_MIXER_PINS_CHANGED, note.code);
    EXPECT_EQ(8u, note.length);

    EXPECT_EQ("ok", control.Execute("pins CVX10001 full"));
    EXPECT_EQ(26u, pinCount(NORVIK_PINS_MIXER_OUTPUTS));
    EXPECT_EQ(18u, pinCount(NORVIK_PINS_SOFTWARE_OUTPUTS));
    EXPECT_TRUE(StartsWith(control.Execute("pins CVX10001 1 2"), "error: usage: pins"));
    EXPECT_EQ("error: no unit with serial CVX99999", control.Execute("pins CVX99999 0 0 0"));
}
} // namespace
