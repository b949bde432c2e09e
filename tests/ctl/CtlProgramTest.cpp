// The command line: help, and bad input of every kind, which ends with its exit code, says why on standard
// error and changes nothing.
#include "tests/ctl/CtlTestSupport.h"

namespace
{
class CtlProgram : public CtlTest
{
};

TEST_F(CtlProgram, HelpListsEveryCommandAndExplainsOne)
{
    const CtlResult program = Run({L"--help"});
    EXPECT_EQ(0, program.exit);
    for (const wchar_t* name :
         {L"list", L"status", L"rate", L"buffers", L"stream-device", L"policy", L"spdif", L"bypass", L"mixer",
          L"volume", L"weight", L"effect", L"save", L"load", L"restore", L"watch"})
    {
        EXPECT_NE(std::wstring::npos, program.out.find(L"\n  " + std::wstring(name) + L" ")) << name;
    }
    // Every summary starts in the same column, the longest head's included.
    const size_t column = program.out.find(L"one line per unit");
    const size_t effect = program.out.find(L"\n  effect ");
    ASSERT_NE(std::wstring::npos, effect);
    EXPECT_EQ(column - program.out.rfind(L'\n', column),
              program.out.find(L"shows a unit's echo effect") - effect);
    const CtlResult command = Run({L"weight", L"--help"});
    EXPECT_EQ(0, command.exit);
    EXPECT_EQ(0u, command.out.find(L"usage: corvexctl [--json] weight SERIAL hw|sw ROW COLUMN DB|off\n"));
    EXPECT_EQ(command.out, Run({L"help", L"weight"}).out);
    EXPECT_TRUE(command.err.empty());
}

TEST_F(CtlProgram, BadInputIsRefusedAndSendsNothing)
{
    model_.SetLevelsMode(SimLevelsMode::Off);
    static const struct
    {
        std::vector<std::wstring> args;
        int exit;
        const wchar_t* message; // the start of standard error
        bool usage = true;      // with exit 2: the usage follows the message
    } cases[] = {
        {{}, 2, L"No command given."},
        {{L"frobnicate"}, 2, L"Unknown command frobnicate."},
        {{L"list", L"--verbose"}, 2, L"Unknown option --verbose."},
        {{L"status", L"now"}, 2, L"status takes no arguments."},
        {{L"rate", L"fast"}, 2, L"'fast' is not a sample rate in Hz."},
        {{L"rate", L"0"}, 2, L"'0' is not a sample rate in Hz."},
        {{L"rate", L"2822400"}, 2, L"Changing to this the sample rate prohibited.\nIt sample rate"},
        {{L"rate", L"48001"}, 2, L"The driver does not offer 48001 Hz."},
        {{L"buffers", L"Small"}, 2, L"buffers takes both classes or none."},
        {{L"buffers", L"ExtraSmall", L"ExtraSmall"}, 2, L"'ExtraSmall' is not an ASIO buffer class"},
        {{L"buffers", L"6", L"0"}, 2, L"'6' is not a streaming buffer class"},
        {{L"stream-device", L"CVX10001CVX10001CVX1"}, 2, L"'CVX10001CVX10001CVX1' is not a serial number."},
        {{L"stream-device", L"CVX19999"}, 3, L"No unit with serial CVX19999 is connected."},
        {{L"policy", L"forbid-rate-change", L"maybe"}, 2, L"policy takes forbid-rate-change on or off."},
        {{L"spdif", L"CVX10001", L"passthrough"}, 2, L"spdif takes a serial"},
        {{L"spdif", L"cvx10001"}, 3, L"No unit with serial cvx10001 is connected."},
        {{L"bypass", L"CVX10001", L"treble", L"on"}, 2, L"bypass takes a serial"},
        {{L"mixer", L"CVX10001", L"both"}, 2, L"mixer takes a serial and hw or sw."},
        {{L"volume", L"CVX10001", L"Analog Out 1/2", L"-60.01"}, 2, L"'-60.01' is not a level"},
        {{L"volume", L"CVX10001", L"Analog In 1/2", L"0"}, 2, L"'Analog In 1/2' names no mixer output"},
        {{L"volume", L"CVX10001", L"2/3", L"0"}, 2, L"'2/3' names no mixer output"},
        {{L"volume", L"CVX10001", L"27", L"0"}, 2, L"'27' names no mixer output"},
        {{L"weight", L"CVX10001", L"hw", L"Out 1/2", L"Analog Out 1/2", L"0"},
         2,
         L"'Out 1/2' names no mixer input"},
        {{L"weight", L"CVX10001", L"sw", L"Out", L"1/2", L"Analog", L"0"},
         2,
         L"'Out 1/2 Analog' does not name"},
        {{L"weight", L"CVX10001", L"sw", L"1", L"1", L"on"}, 2, L"'on' is not a weight"},
        {{L"effect", L"CVX10001"}, 2, L"The unit CVX10001 has no effect."},
        {{L"effect", L"CVX10002", L"2/3", L"delay", L"10"}, 2, L"'2/3' is not a channel pair of the effect"},
        {{L"effect", L"CVX10002", L"7/8", L"delay", L"501"}, 2, L"The delay is at most 500 ms."},
        {{L"effect", L"CVX10002", L"9/10", L"amp", L"0.5"}, 2, L"'9/10' is not a channel pair of the effect"},
        {{L"effect", L"CVX10002", L"1/2", L"amp", L"1.5"}, 2, L"'1.5' is not an amplification"},
        {{L"effect", L"CVX10002", L"1/2", L"gain", L"1"}, 2, L"effect takes a serial"},
        {{L"load", L"CVX10001", L"C:\\no\\such\\snapshot.json"},
         2,
         L"Cannot read C:\\no\\such\\snapshot.json (",
         false},
        {{L"save", L"CVX10001", L"C:\\no\\such\\snapshot.json"},
         2,
         L"Cannot write C:\\no\\such\\snapshot.json (",
         false},
        {{L"save", L"CVX10001"}, 2, L"save takes a serial and a file."},
        {{L"save", L"CVX10001", L"COM1"}, 2, L"COM1 names a device, not a file. Nothing was written."},
        {{L"save", L"CVX10001", L"C:\\temp\\con.json"}, 2, L"C:\\temp\\con.json names a device"},
        {{L"save", L"CVX10001", L"\\\\.\\pipe\\x"}, 2, L"\\\\.\\pipe\\x names a device"},
        {{L"load", L"CVX10001", L"nul"}, 2, L"nul names a device, not a file. Nothing was changed."},
        {{L"watch", L"forever"}, 2, L"watch takes no arguments."},
        {{L"restore"}, 2, L"restore takes a serial"},
        {{L"restore", L"CVX10001", L"always"}, 2, L"restore takes a serial"},
        {{L"restore", L"CVX10001", L"on", L"now"}, 2, L"restore takes a serial"},
        {{L"restore", L"CVX19999", L"on"}, 3, L"No unit with serial CVX19999 is connected."},
    };
    for (const auto& c : cases)
    {
        model_.ClearRequestLog();
        const CtlResult result = Run(c.args);
        EXPECT_EQ(c.exit, result.exit) << CommandText(c.args);
        EXPECT_EQ(0u, result.err.find(c.message)) << CommandText(c.args) << "\n"
                                                  << testing::PrintToString(result.err);
        if (c.exit == 2)
        {
            EXPECT_EQ(c.usage, result.err.find(L"usage: corvexctl") != std::wstring::npos)
                << CommandText(c.args);
        }
        EXPECT_TRUE(result.out.empty()) << CommandText(c.args);
        EXPECT_FALSE(SentChanges()) << CommandText(c.args);
    }
}

TEST_F(CtlProgram, NoDriverIsExitThree)
{
    model_.SetPresent(false);
    const CtlResult result = Run({L"list"});
    EXPECT_EQ(3, result.exit);
    EXPECT_EQ(L"The Corvex driver is not available (error 2).\n", result.err);
    model_.SetPresent(true);
    model_.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_FAILED);
    EXPECT_EQ(L"The Corvex driver is not available (Status=NORVIK_STATUS_FAILED).\n", Run({L"status"}).err);
}
} // namespace
