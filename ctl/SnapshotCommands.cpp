// save, load: a unit's snapshot in a JSON file.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "ctl/UnitSnapshot.h"
#include "wn/WnFileHandle.h"

namespace
{
// A snapshot is some tens of kilobytes; a file far beyond that is not one.
constexpr LONGLONG kMaxSnapshotBytes = 4 * 1024 * 1024;

// 0 or the Win32 error.
DWORD ReadTextFile(const std::wstring& path, std::string* text)
{
    WnFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size))
        return GetLastError();
    if (size.QuadPart > kMaxSnapshotBytes)
        return ERROR_FILE_TOO_LARGE;
    text->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text->empty() &&
        (!ReadFile(file.Get(), text->data(), static_cast<DWORD>(text->size()), &read, nullptr) ||
         read != text->size()))
        return GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_READ_FAULT;
    return ERROR_SUCCESS;
}

// Written beside the target and moved over it, so a failed save never leaves half a file behind.
DWORD WriteTextFile(const std::wstring& path, const std::string& text)
{
    const std::wstring temporary = path + L".tmp";
    {
        WnFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file)
            return GetLastError();
        if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size())
        {
            const DWORD error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
            file.Close();
            (void)DeleteFileW(temporary.c_str());
            return error;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    {
        const DWORD error = GetLastError();
        (void)DeleteFileW(temporary.c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

// Finds the unit and reads everything a snapshot keeps; 0 or the exit code.
int ReadState(CtlContext& context, const std::wstring& serial, NorvikDevice** device, UnitState* state)
{
    const int found = context.FindUnit(serial, device);
    if (found != kExitDone)
        return found;
    const wchar_t* what = L"";
    const NorvikStatus status = ReadUnitState(**device, state, &what);
    return status == NORVIK_STATUS_SUCCESS ? kExitDone : context.Out().Refused(what, status);
}
} // namespace

int RunSave(CtlContext& context, const CtlArgs& args)
{
    if (args.size() != 2)
        return context.Usage(L"save takes a serial and a file.");
    NorvikDevice* device = nullptr;
    UnitState state;
    const int read = ReadState(context, args[0], &device, &state);
    if (read != kExitDone)
        return read;
    const DWORD error = WriteTextFile(args[1], SnapshotJson(SnapshotOf(state), args[0]));
    if (error != ERROR_SUCCESS)
        return context.Usage(FormatText(L"Cannot write %s (error %u).", args[1].c_str(), error));
    context.Out().Line(L"Saved " + args[0] + L" to " + args[1] + L".");
    context.Out().Emit({{"serial", Utf8(args[0])}, {"file", Utf8(args[1])}});
    return kExitDone;
}

int RunLoad(CtlContext& context, const CtlArgs& args)
{
    if (args.size() != 2)
        return context.Usage(L"load takes a serial and a file.");
    // The whole file is checked before the driver is asked anything.
    std::string text;
    const DWORD error = ReadTextFile(args[1], &text);
    if (error != ERROR_SUCCESS)
        return context.Usage(FormatText(L"Cannot read %s (error %u).", args[1].c_str(), error));
    UnitSnapshot wanted;
    std::wstring problem;
    if (!ParseSnapshot(text, &wanted, &problem))
        return context.Usage(args[1] + L": " + problem + L" Nothing was changed.");
    NorvikDevice* device = nullptr;
    UnitState state;
    const int read = ReadState(context, args[0], &device, &state);
    if (read != kExitDone)
        return read;
    const UnitSnapshot current = SnapshotOf(state);
    if (!SameLayout(wanted, current))
    {
        return context.Usage(L"The snapshot in " + args[1] + L" has another layout (" + LayoutText(wanted) +
                             L") than the unit " + args[0] + L" (" + LayoutText(current) +
                             L"). Nothing was changed.");
    }
    for (uint32_t delay : wanted.delays)
    {
        if (delay > state.effect.MaxDelay())
        {
            return context.Usage(
                FormatText(L"The snapshot's effect delay of %u ms is beyond the unit's %u ms. "
                           L"Nothing was changed.",
                           delay, state.effect.MaxDelay()));
        }
    }
    uint32_t changed = 0;
    const wchar_t* what = L"";
    const NorvikStatus status = ApplySnapshot(*device, state, wanted, &changed, &what);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(what, status);
    context.Out().Line(
        FormatText(L"Loaded %s into %s: %u settings changed.", args[1].c_str(), args[0].c_str(), changed));
    context.Out().Emit({{"serial", Utf8(args[0])}, {"file", Utf8(args[1])}, {"changed", changed}});
    return kExitDone;
}
