// Event log writer, event source registration and the registry helper, against Wine's real registry.
#include "service/EventSource.h"
#include "service/RegistryKey.h"
#include "service/WnEventLogWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct Entry
{
    WORD type;
    DWORD id;
    std::wstring text;
};

class RecordingMirror final : public WnEventLogMirror
{
  public:
    void OnReport(WORD type, DWORD eventId, const wchar_t* text) override
    {
        entries.push_back({type, eventId, text});
    }
    std::vector<Entry> entries;
};

// A source name of this test process, so parallel runs do not meet.
std::wstring TestSourceName()
{
    return L"corvexsvc-test-" + std::to_wstring(GetCurrentProcessId());
}

std::wstring SourceKeyPath(const std::wstring& source)
{
    return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + source;
}
} // namespace

TEST(WnEventLogWriter, ReportsTypedEntriesWithTheMessageTableIds)
{
    WnEventLogWriter writer;
    RecordingMirror mirror;
    writer.SetMirror(&mirror);
    ASSERT_EQ(0u, writer.Open(TestSourceName().c_str()));
    EXPECT_NE(nullptr, writer.Get());

    EXPECT_EQ(0u, writer.ReportInfo(L"%s started\r\nVersion %u.%u", L"corvexsvc", 1u, 36u));
    EXPECT_EQ(0u, writer.ReportError(L"Failed to get module name."));

    ASSERT_EQ(2u, mirror.entries.size());
    EXPECT_EQ(EVENTLOG_INFORMATION_TYPE, mirror.entries[0].type);
    EXPECT_EQ(0x60070001u, mirror.entries[0].id);
    EXPECT_EQ(L"corvexsvc started\r\nVersion 1.36", mirror.entries[0].text);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, mirror.entries[1].type);
    EXPECT_EQ(0xE0070003u, mirror.entries[1].id);
    EXPECT_EQ(L"Failed to get module name.", mirror.entries[1].text);

    EXPECT_EQ(0u, writer.Close());
    EXPECT_EQ(nullptr, writer.Get());
    EXPECT_EQ(0u, writer.Close()) << "closing a closed writer is harmless";
}

TEST(WnEventLogWriter, CutsALongTextAt4095Characters)
{
    WnEventLogWriter writer;
    RecordingMirror mirror;
    writer.SetMirror(&mirror);
    const std::wstring longText(5000, L'x');
    (void)writer.ReportInfo(L"%s", longText.c_str());
    ASSERT_EQ(1u, mirror.entries.size());
    EXPECT_EQ(std::wstring(4095, L'x'), mirror.entries[0].text);
}

TEST(WnEventLogWriter, WithoutASourceTheReportFailsButTheMirrorSeesIt)
{
    WnEventLogWriter writer;
    RecordingMirror mirror;
    writer.SetMirror(&mirror);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), writer.ReportError(L"text"));
    ASSERT_EQ(1u, mirror.entries.size());
}

TEST(EventSource, AddWritesTheMessageFileAndTypesAndRemoveDeletesThem)
{
    const std::wstring source = TestSourceName();
    const wchar_t* messageFile = L"C:\\Program Files\\Corvex\\corvexsvc.exe";
    ASSERT_EQ(0u, AddEventSource(L"Application", source.c_str(), messageFile));
    ASSERT_EQ(0u, AddEventSource(L"Application", source.c_str(), messageFile))
        << "registering twice overwrites";

    RegistryKey key;
    ASSERT_EQ(0u, key.Open(HKEY_LOCAL_MACHINE, SourceKeyPath(source).c_str(), KEY_READ));
    wchar_t stored[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof(stored);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), L"EventMessageFile", nullptr, &type,
                                              reinterpret_cast<BYTE*>(stored), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    EXPECT_STREQ(messageFile, stored);
    EXPECT_EQ((wcslen(messageFile) + 1) * sizeof(wchar_t), size);
    DWORD types = 0;
    ASSERT_EQ(0u, key.QueryDword(L"TypesSupported", &types));
    EXPECT_EQ(7u, types);

    EXPECT_EQ(0u, RemoveEventSource(L"Application", source.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              key.Open(HKEY_LOCAL_MACHINE, SourceKeyPath(source).c_str(), KEY_READ));
    EXPECT_EQ(0u, RemoveEventSource(L"Application", source.c_str())) << "a missing source is no error";
    EXPECT_NE(0u, RemoveEventSource(L"NoSuchLog-corvex", source.c_str())) << "a missing log key is";
}

TEST(RegistryKey, RefusesNonStringTypesAndWrongDwordShapes)
{
    const std::wstring path = L"Software\\MERIDANT\\corvex-test-" + std::to_wstring(GetCurrentProcessId());
    RegistryKey key;
    ASSERT_EQ(0u, key.Create(HKEY_CURRENT_USER, path.c_str(), KEY_READ | KEY_WRITE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_FORMAT), key.SetString(L"Value", REG_DWORD, L"text"));
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key.Get(), L"Value", nullptr, nullptr, nullptr, &size))
        << "a refused string never reaches the registry";

    const DWORD wide = 5;
    const BYTE shortValue[2] = {1, 2};
    const BYTE longValue[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.Get(), L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"7"), 4));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.Get(), L"Short", 0, REG_DWORD, shortValue, sizeof(shortValue)));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Long", 0, REG_BINARY, longValue, sizeof(longValue)));
    ASSERT_EQ(0u, key.SetDword(L"Good", wide));

    struct Case
    {
        const wchar_t* name;
        DWORD expected;
        DWORD value;
    };
    const Case cases[] = {
        {L"Text", ERROR_BAD_FORMAT, 99}, {L"Short", ERROR_BAD_FORMAT, 99},
        {L"Long", ERROR_BAD_FORMAT, 99}, {L"Missing", ERROR_FILE_NOT_FOUND, 99},
        {L"Good", ERROR_SUCCESS, 5},
    };
    for (const Case& c : cases)
    {
        DWORD value = 99;
        EXPECT_EQ(c.expected, key.QueryDword(c.name, &value)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
    }
    (void)RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}
