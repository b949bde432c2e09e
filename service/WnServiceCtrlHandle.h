#pragma once
#include <windows.h>

// Owns one service control manager handle (a database or a service); null when empty.
class WnServiceCtrlHandle
{
  public:
    WnServiceCtrlHandle() noexcept = default;
    virtual ~WnServiceCtrlHandle() { Close(); }

    WnServiceCtrlHandle(const WnServiceCtrlHandle&) = delete;
    WnServiceCtrlHandle& operator=(const WnServiceCtrlHandle&) = delete;

    SC_HANDLE Get() const noexcept { return handle_; }
    void Close() noexcept
    {
        if (handle_ != nullptr)
        {
            (void)CloseServiceHandle(handle_);
            handle_ = nullptr;
        }
    }

  protected:
    // Closes the held handle, then keeps the new one; returns 0 or the last error when it is null.
    DWORD Reset(SC_HANDLE handle);

  private:
    SC_HANDLE handle_ = nullptr;
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
