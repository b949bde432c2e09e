// save, load: a unit's snapshot in a JSON file.
#include "ctl/CtlHandlers.h"
#include "ctl/UnitSnapshot.h"
#include "wn/WnFileHandle.h"

#include <cwctype>

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

// Names that Windows opens as a device in any folder and with any extension ("COM1", "con.json"), and
// "\\.\" paths: a snapshot written there would go to the device.
bool IsDevicePath(const std::wstring& path)
{
    std::wstring normal = path;
    for (wchar_t& c : normal)
        c = c == L'/' ? L'\\' : static_cast<wchar_t>(towupper(c));
    if (normal.rfind(L"\\\\.\\", 0) == 0)
        return true;
    const size_t start = normal.find_last_of(L"\\:");
    std::wstring name = normal.substr(start == std::wstring::npos ? 0 : start + 1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (name == device)
            return true;
    return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
           name[3] >= L'1' && name[3] <= L'9';
}

// Written to a file of its own beside the target, flushed, and moved over the target in one step, so that
// neither a failed save nor a crash leaves half a file, and no other file is overwritten on the way.
DWORD WriteTextFile(const std::wstring& path, const std::string& text)
{
    wchar_t full[MAX_PATH] = L"";
    wchar_t* name = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, &name);
    if (length == 0)
        return GetLastError();
    if (length >= MAX_PATH || name == nullptr)
        return length >= MAX_PATH ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME;
    const std::wstring folder(full, name);
    wchar_t temporary[MAX_PATH] = L"";
    if (GetTempFileNameW(folder.c_str(), L"cvx", 0, temporary) == 0)
        return GetLastError();
    DWORD error = ERROR_SUCCESS;
    {
        WnFileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file)
            error = GetLastError();
        else if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
                 written != text.size() || !FlushFileBuffers(file.Get()))
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS)
        (void)DeleteFileW(temporary);
    return error;
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

// 0 or the exit code after the problem has been printed.
int ReadSnapshotFile(CtlContext& context, const std::wstring& path, UnitSnapshot* snapshot)
{
    std::string text;
    const DWORD error = ReadTextFile(path, &text);
    if (error != ERROR_SUCCESS)
        return context.Out().BadInput(FormatText(L"Cannot read %s (error %u).", path.c_str(), error));
    std::wstring problem;
    if (!ParseSnapshot(text, snapshot, &problem))
        return context.Usage(path + L": " + problem + L" Nothing was changed.");
    return kExitDone;
}

// Whether the snapshot (args: serial, file) fits the unit as it is: its pin order, its layout, and the
// unit's maximum delay. 0 or the exit code.
int CheckFits(CtlContext& context, const CtlArgs& args, const UnitSnapshot& wanted, const UnitState& state)
{
    const UnitSnapshot current = SnapshotOf(state);
    const std::wstring order = PinOrderDifference(wanted, current);
    if (!order.empty())
    {
        return context.Usage(L"The snapshot in " + args[1] + L" has another pin order than the unit " +
                             args[0] + L": " + order + L" Nothing was changed.");
    }
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
    return kExitDone;
}
} // namespace

int RunSave(CtlContext& context, const CtlArgs& args)
{
    if (args.size() != 2)
        return context.Usage(L"save takes a serial and a file.");
    if (IsDevicePath(args[1]))
        return context.Usage(args[1] + L" names a device, not a file. Nothing was written.");
    NorvikDevice* device = nullptr;
    UnitState state;
    const int read = ReadState(context, args[0], &device, &state);
    if (read != kExitDone)
        return read;
    const DWORD error = WriteTextFile(args[1], SnapshotJson(SnapshotOf(state), args[0]));
    if (error != ERROR_SUCCESS)
        return context.Out().BadInput(FormatText(L"Cannot write %s (error %u).", args[1].c_str(), error));
    context.Out().Line(L"Saved " + args[0] + L" to " + args[1] + L".");
    context.Out().Emit({{"serial", Utf8(args[0])}, {"file", Utf8(args[1])}});
    return kExitDone;
}

int RunLoad(CtlContext& context, const CtlArgs& args)
{
    if (args.size() != 2)
        return context.Usage(L"load takes a serial and a file.");
    if (IsDevicePath(args[1]))
        return context.Usage(args[1] + L" names a device, not a file. Nothing was changed.");
    // The whole file is checked before the driver is asked anything.
    UnitSnapshot wanted;
    const int parsed = ReadSnapshotFile(context, args[1], &wanted);
    if (parsed != kExitDone)
        return parsed;
    NorvikDevice* device = nullptr;
    UnitState state;
    const int read = ReadState(context, args[0], &device, &state);
    if (read != kExitDone)
        return read;
    const int fits = CheckFits(context, args, wanted, state);
    if (fits != kExitDone)
        return fits;
    uint32_t changed = 0;
    const wchar_t* what = L"";
    const NorvikStatus status = ApplySnapshot(*device, state, wanted, &changed, &what);
    if (status != NORVIK_STATUS_SUCCESS)
    {
        const int exit = context.Out().Refused(what, status);
        if (changed != 0)
        {
            context.Out().Error(FormatText(
                L"The unit now holds part of the snapshot: %u settings were written before the failure.",
                changed));
        }
        return exit;
    }
    context.Out().Line(
        FormatText(L"Loaded %s into %s: %u settings changed.", args[1].c_str(), args[0].c_str(), changed));
    context.Out().Emit({{"serial", Utf8(args[0])}, {"file", Utf8(args[1])}, {"changed", changed}});
    return kExitDone;
}
