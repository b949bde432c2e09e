#include "service/SettingsKeeper.h"

#include "ctl/CtlOutput.h"
#include "ctl/UnitSnapshot.h"
#include "driverapi/StatusReport.h"
#include "service/RegistryKey.h"
#include "service/WnEventLogWriter.h"

#include <cwchar>
#include <utility>

namespace
{
constexpr wchar_t kSwitchValue[] = L"RestoreSettings";
constexpr wchar_t kSettingsValue[] = L"StoredSettings";
} // namespace

SettingsKeeper::SettingsKeeper(NorvikDevice& device, std::function<DWORD(RegistryKey*)> openKey)
    : device_(device), openKey_(std::move(openKey)), gatherForwarder_(this, &SettingsKeeper::OnGatherTimer)
{
}

std::wstring SettingsKeeper::Serial() const
{
    const NorvikDeviceRecord& record = device_.Record();
    return std::wstring(record.serial, wcsnlen(record.serial, sizeof(record.serial) / sizeof(wchar_t)));
}

void SettingsKeeper::LogWarning(const std::wstring& text) const
{
    if (log_ != nullptr)
        (void)log_->ReportWarning(text.c_str());
}

void SettingsKeeper::OnArrival()
{
    RegistryKey key;
    DWORD on = 0;
    std::wstring stored;
    if (openKey_(&key) != ERROR_SUCCESS || key.QueryDword(kSwitchValue, &on) != ERROR_SUCCESS || on == 0)
        return;
    on_ = true;
    if (key.QueryString(kSettingsValue, kMaxStoredChars, &stored) == ERROR_SUCCESS)
        Restore(stored);
    else
        LogWarning(L"No stored settings of " + Serial() + L" to restore.");
}

void SettingsKeeper::Restore(const std::wstring& stored)
{
    const std::wstring serial = Serial();
    const std::wstring notRestored = L"The stored settings of " + serial + L" were not restored: ";
    UnitSnapshot wanted;
    std::wstring problem;
    if (!ParseSnapshot(Utf8(stored), &wanted, &problem))
        return LogWarning(notRestored + problem);
    UnitState state;
    const wchar_t* what = L"";
    NorvikStatus status = ReadUnitState(device_, &state, &what);
    if (status != NORVIK_STATUS_SUCCESS)
        return LogWarning(notRestored + StatusReport((std::wstring(what) + L" failed").c_str(), status));
    const UnitSnapshot current = SnapshotOf(state);
    if (!SameLayout(wanted, current))
    {
        return LogWarning(notRestored + L"they were made for another layout (" + LayoutText(wanted) +
                          L") than the unit has (" + LayoutText(current) + L").");
    }
    for (const uint32_t delay : wanted.delays)
        if (delay > state.effect.MaxDelay())
            return LogWarning(notRestored +
                              FormatText(L"an effect delay of %u ms is beyond the unit's %u ms.", delay,
                                         state.effect.MaxDelay()));
    stored_ = Utf8(stored);
    uint32_t changed = 0;
    status = ApplySnapshot(device_, state, wanted, &changed, &what);
    if (status != NORVIK_STATUS_SUCCESS)
    {
        // Not tried again: the unit keeps what it took, and the next change is stored as usual.
        if (log_ != nullptr)
        {
            const std::wstring text = L"Restoring the settings of " + serial + L": " +
                                      StatusReport((std::wstring(what) + L" failed").c_str(), status);
            (void)log_->ReportError(text.c_str());
        }
        return;
    }
    if (log_ != nullptr)
        (void)log_->ReportInfo(L"Restored the settings of %s: %u settings written.", serial.c_str(), changed);
}

NorvikStatus SettingsKeeper::SetOn(bool on)
{
    RegistryKey key;
    DWORD result = openKey_(&key);
    if (result != ERROR_SUCCESS)
        return result;
    if (!on)
    {
        (void)gatherTimer_.Cancel();
        gathering_ = false;
        on_ = false;
        stored_.clear();
        (void)key.DeleteValue(kSettingsValue);
        return key.SetDword(kSwitchValue, 0);
    }
    // What the unit has now is what a replug brings back until the next change.
    stored_.clear();
    const NorvikStatus status = Store();
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    result = key.SetDword(kSwitchValue, 1);
    on_ = result == ERROR_SUCCESS;
    return result;
}

void SettingsKeeper::OnChange()
{
    if (!on_ || gathering_)
        return;
    if (!gatherTimer_ && gatherTimer_.Create(false) != ERROR_SUCCESS)
        return; // the next tick stores the change
    gathering_ = gatherTimer_.SetOnce(kGatherMs, &gatherForwarder_) == ERROR_SUCCESS;
}

void SettingsKeeper::OnGatherTimer(DWORD, DWORD)
{
    gathering_ = false;
    if (on_)
        (void)Store();
}

void SettingsKeeper::OnTick()
{
    if (on_ && !gathering_)
        (void)Store();
}

NorvikStatus SettingsKeeper::Store()
{
    UnitState state;
    const wchar_t* what = L"";
    const NorvikStatus status = ReadUnitState(device_, &state, &what);
    if (status != NORVIK_STATUS_SUCCESS)
        return status; // a unit on its way out; it is read again at the next change
    std::string text = SnapshotJson(SnapshotOf(state), Serial());
    if (text == stored_)
        return NORVIK_STATUS_SUCCESS;
    RegistryKey key;
    DWORD result = openKey_(&key);
    if (result == ERROR_SUCCESS)
        result = key.SetString(kSettingsValue, REG_SZ, FromUtf8(text).c_str());
    if (result == ERROR_SUCCESS)
        stored_ = std::move(text);
    return result;
}
