#include "wn/WnMutex.h"
#include "wn/WnLastError.h"

DWORD WnMutex::Create(SECURITY_ATTRIBUTES* security, bool initiallyOwned, const wchar_t* name)
{
    Close();
    // CreateMutexW does not clear the last error when it makes a new mutex.
    SetLastError(ERROR_SUCCESS);
    handle_.Attach(CreateMutexW(security, initiallyOwned ? TRUE : FALSE, name));
    if (!handle_)
        return WnLastError();
    return GetLastError() == ERROR_ALREADY_EXISTS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

DWORD WnMutex::Unlock()
{
    return ReleaseMutex(Get()) ? ERROR_SUCCESS : WnLastError();
}
