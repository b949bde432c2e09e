#include "ctl/CtlOutput.h"

#include "driverapi/StatusReport.h"

void CtlOutput::Line(const std::wstring& text)
{
    if (!json_)
        console_.Out(text + L"\n");
}

void CtlOutput::Emit(const nlohmann::json& value)
{
    if (json_)
    {
        // Replacing, not throwing, keeps a stray byte from the driver from ending the program.
        console_.Out(FromUtf8(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)) + L"\n");
    }
}

void CtlOutput::Error(const std::wstring& text)
{
    console_.Err(text + L"\n");
}

int CtlOutput::Refused(const std::wstring& what, NorvikStatus status)
{
    Error(StatusReport((what + L" failed").c_str(), status));
    if (status == NORVIK_STATUS_NO_SERVER)
    {
        Error(L"The Corvex control service (corvexsvc) is not running.");
        return kExitUnavailable;
    }
    const wchar_t* lost = lostConnection_ ? lostConnection_() : nullptr;
    if (lost != nullptr)
    {
        Error(lost);
        return kExitUnavailable;
    }
    return kExitRefused;
}

int CtlOutput::Usage(const std::wstring& problem, const std::wstring& usage)
{
    Error(problem);
    Error(usage);
    return kExitUsage;
}

int CtlOutput::BadInput(const std::wstring& problem)
{
    Error(problem);
    return kExitUsage;
}

int CtlOutput::Unavailable(const std::wstring& text)
{
    Error(text);
    return kExitUnavailable;
}
