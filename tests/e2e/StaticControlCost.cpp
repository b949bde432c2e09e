#include "tests/e2e/StaticControlCost.h"
#include "tests/e2e/ProcessFootprint.h"

namespace
{
// One counter at a time: the hook's callback has no context of its own.
uint32_t* activeCount = nullptr;

bool IsStatic(HWND window)
{
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) != 0 && lstrcmpiW(name, L"Static") == 0;
}

struct ActivationContextTraits
{
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { ReleaseActCtx(handle); }
};

uint64_t PrivateBytes()
{
    ProcessFootprint footprint;
    return ReadFootprint(GetCurrentProcess(), &footprint) ? footprint.privateBytes : 0;
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

BOOL CALLBACK CountStatic(HWND window, LPARAM count)
{
    *reinterpret_cast<uint32_t*>(count) += IsStatic(window) ? 1 : 0;
    return TRUE;
}

// Creates and destroys `count` dialogs from the template; the statics each one had.
uint32_t CreateAndDestroyDialogs(HMODULE resources, int dialogId, HWND parent, int count)
{
    uint32_t statics = 0;
    for (int i = 0; i < count; ++i)
    {
        const UniqueWindow dialog(
            CreateDialogParamW(resources, MAKEINTRESOURCEW(dialogId), parent, PlainDialog, 0));
        if (!dialog)
            return 0;
        statics = 0;
        (void)EnumChildWindows(dialog.Get(), CountStatic, reinterpret_cast<LPARAM>(&statics));
    }
    return statics;
}
} // namespace

StaticControlCounter::StaticControlCounter(DWORD processId)
{
    if (activeCount != nullptr)
        return;
    hook_.Attach(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnCreate, processId, 0,
                                 WINEVENT_OUTOFCONTEXT));
    if (hook_)
        activeCount = &count_;
}

StaticControlCounter::~StaticControlCounter()
{
    if (activeCount == &count_)
    {
        hook_.Close();
        activeCount = nullptr;
    }
}

void CALLBACK StaticControlCounter::OnCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                                             DWORD, DWORD)
{
    // A window that is gone before the event arrives is not counted: the allowance errs on the strict side.
    if (activeCount != nullptr && object == OBJID_WINDOW && child == CHILDID_SELF && IsStatic(window))
        ++*activeCount;
}

uint64_t MeasureStaticControlCost(const std::wstring& program, int dialogId)
{
    // The panel's statics are those of its manifest (common controls 6), not the system's default ones.
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const WnUniqueHandleT<ActivationContextTraits> context(CreateActCtxW(&request));
    const WnUniqueNullHandle<HMODULE, FreeLibrary> resources(
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ULONG_PTR cookie = 0;
    if (!context || !resources || !ActivateActCtx(context.Get(), &cookie))
        return 0;
    uint64_t cost = 0;
    {
        const UniqueWindow parent(CreateWindowW(L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                                nullptr, nullptr, nullptr));
        // Past the warm-up the heap has no free room left over from earlier work, so what stays shows.
        constexpr int kWarmUp = 1000;
        constexpr int kMeasured = 5000;
        (void)CreateAndDestroyDialogs(resources.Get(), dialogId, parent.Get(), kWarmUp);
        const uint64_t before = PrivateBytes();
        const uint32_t statics = CreateAndDestroyDialogs(resources.Get(), dialogId, parent.Get(), kMeasured);
        const uint64_t after = PrivateBytes();
        if (statics != 0 && before != 0 && after > before)
            cost = (after - before + uint64_t{statics} * kMeasured - 1) / (uint64_t{statics} * kMeasured);
    }
    (void)DeactivateActCtx(0, cookie);
    return cost;
}
