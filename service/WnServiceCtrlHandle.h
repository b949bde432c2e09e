#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// Owns one service control manager handle (a database or a service); null when empty.
class WnServiceCtrlHandle
{
  public:
    WnServiceCtrlHandle() noexcept = default;
    virtual ~WnServiceCtrlHandle() = default;

    SC_HANDLE Get() const noexcept { return handle_.Get(); }
    void Close() noexcept { handle_.Close(); }

  protected:
    // Takes the result of an open or create call in place of the held handle; returns 0, or the last error
    // when that result is null.
    DWORD AttachOpened(SC_HANDLE handle);

  private:
    WnUniqueNullHandle<SC_HANDLE, CloseServiceHandle> handle_;
};

// The service control manager's database of the local machine.
class WnServiceCtrlMgr : public WnServiceCtrlHandle
{
  public:
    [[nodiscard]] DWORD Open(const wchar_t* database, DWORD access);
};

// One service of a database.
class WnServiceCtrl : public WnServiceCtrlHandle
{
  public:
    struct Parameters
    {
        const wchar_t* name;
        const wchar_t* displayName;
        DWORD access;
        DWORD serviceType;
        DWORD startType;
        DWORD errorControl;
        const wchar_t* binaryPath;
        const wchar_t* loadOrderGroup;
        const wchar_t* dependencies; // double-zero-terminated
    };

    // Runs as LocalSystem (no account, no password) without a tag.
    [[nodiscard]] DWORD Create(const WnServiceCtrlMgr& manager, const Parameters& parameters);
    [[nodiscard]] DWORD Open(const WnServiceCtrlMgr& manager, const wchar_t* name, DWORD access);
};
