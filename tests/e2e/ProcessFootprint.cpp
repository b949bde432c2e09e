#include "tests/e2e/ProcessFootprint.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace
{
// The system handle table (information class 16), as ntdll returns it.
struct HandleEntry
{
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG grantedAccess;
};

struct HandleTable
{
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG informationClass, PVOID buffer, ULONG size, PULONG needed);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

bool CountHandles(DWORD processId, uint32_t* count)
{
    // ntdll is mapped into every process; nothing to own or free.
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
    {
        return false;
    }
    std::vector<uint8_t> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        ULONG needed = 0;
        const LONG status =
            query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch)
        {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0)
        {
            return false;
        }
        const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        // Entries beyond the buffer are not trusted, whatever count the table claims.
        const size_t fit = (buffer.size() - offsetof(HandleTable, entries)) / sizeof(HandleEntry);
        const size_t entries = std::min<size_t>(table->count, fit);
        uint32_t own = 0;
        for (size_t i = 0; i < entries; ++i)
        {
            own += table->entries[i].processId == static_cast<USHORT>(processId) ? 1 : 0;
        }
        *count = own;
        return true;
    }
    return false;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<uint32_t*>(count);
    return TRUE;
}

struct WindowCount
{
    DWORD processId;
    uint32_t count;
};

BOOL CALLBACK CountProcessWindows(HWND window, LPARAM context)
{
    auto* windows = reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    (void)GetWindowThreadProcessId(window, &owner);
    if (owner == windows->processId)
    {
        ++windows->count;
        (void)EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&windows->count));
    }
    return TRUE;
}
} // namespace

bool ReadFootprint(HANDLE process, ProcessFootprint* footprint)
{
    // Private bytes as committed private memory, summed region by region: Wine leaves PrivateUsage of
    // GetProcessMemoryInfo at 0.
    uint64_t committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (uintptr_t address = 0;
         VirtualQueryEx(process, reinterpret_cast<void*>(address), &region, sizeof(region)) != 0;)
    {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
        {
            committed += region.RegionSize;
        }
        const uintptr_t next = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
        {
            break;
        }
        address = next;
    }
    if (committed == 0)
    {
        return false;
    }
    footprint->privateBytes = committed;
    WindowCount windows{GetProcessId(process), 0};
    (void)EnumWindows(CountProcessWindows, reinterpret_cast<LPARAM>(&windows));
    footprint->windows = windows.count;
    return CountHandles(GetProcessId(process), &footprint->handles);
}
