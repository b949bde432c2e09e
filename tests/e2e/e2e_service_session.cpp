#include "tests/e2e/e2e_service_session.h"

ServiceSession::~ServiceSession()
{
    service_.Kill();
    (void)Control("quit");
    (void)simulator_.Wait(5000);
}

bool ServiceSession::Start()
{
    if (!simulator_.Start(BuildProgram(L"simulator\\corvexsim.exe"), L"-pipe " + pipe_ + L" -units 2") ||
        control_.Connect(pipe_, 10000) != ERROR_SUCCESS ||
        !service_.Start(BuildProgram(L"service\\corvexsvc.exe"), L"-console", DriverVariable()))
    {
        return false;
    }
    return WaitUntil([this] { return HasServer(); });
}
