// The installed corvexsvc service as Wine's service control manager sees it, for tests that install it.
#pragma once
#include <windows.h>

// The service's state and process as the control manager reports them; 0 state when it cannot be queried.
SERVICE_STATUS_PROCESS QueryService();

// Polls until the service reaches `state`; the service process starts and stops at its own pace.
bool WaitForState(DWORD state, DWORD timeoutMs = 15000);

// Stops and deletes the service and its event source, whatever state a failed test left them in.
void RemoveService();
