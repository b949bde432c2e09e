// corvexsvc with a slow event log, for the control manager tests: every entry takes a while and then lands in
// a file beside the program (<exe>.log), so a test sees which entries were complete when the service
// reported its end.
#include "service/CommandLine.h"
#include "service/NorvikService.h"
#include "wn/WnFileHandle.h"

#include <string>

namespace
{
class SlowFileMirror final : public WnEventLogMirror
{
  public:
    static constexpr DWORD kEntryMs = 300;

    void OnReport(WORD, DWORD, const wchar_t* text) override
    {
        Sleep(kEntryMs);
        wchar_t program[MAX_PATH] = {};
        if (ServiceBase::GetExecutablePath(program) != ERROR_SUCCESS)
        {
            return;
        }
        const WnFileHandle file(CreateFileW((std::wstring(program) + L".log").c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        char line[1024] = {};
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof(line) - 1, nullptr, nullptr);
        if (length > 0)
        {
            line[length - 1] = '\n';
            DWORD written = 0;
            (void)WriteFile(file.Get(), line, static_cast<DWORD>(length), &written, nullptr);
        }
    }
};

NorvikService g_norvikService;
SlowFileMirror g_mirror;
} // namespace

int wmain(int argc, wchar_t** argv)
{
    g_norvikService.SetEventLogMirror(&g_mirror);
    return RunCommandLine(argc, argv, g_norvikService);
}
