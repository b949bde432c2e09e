// corvexctl's output: lines of text or one JSON document, failure messages and the exit codes they mean.
#pragma once

#include "ctl/CtlConsole.h"
#include "driverapi/NorvikStatus.h"
#include "wn/WnText.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string>

enum CtlExitCode : int
{
    kExitDone = 0,
    kExitRefused = 1,     // the driver or the service refused
    kExitUsage = 2,       // bad command line or bad input, a snapshot file included; nothing was changed
    kExitUnavailable = 3, // no driver, no service, or no unit with that serial
};

class CtlOutput
{
  public:
    explicit CtlOutput(CtlConsole& console) : console_(console) {}

    void SetJson(bool json) { json_ = json; }

    // A line of the text form; dropped in JSON mode.
    void Line(const std::wstring& text);
    // The JSON form, one document on one line; dropped in text mode.
    void Emit(const nlohmann::json& value);
    // Text that belongs to standard output whatever the mode (help).
    void Plain(const std::wstring& text) { console_.Out(text); }
    // A line on standard error.
    void Error(const std::wstring& text);

    // "<what> failed (Status=NAME)." with StatusReport's cause line where it has one. Exit 1, or 3
    // when the service is not there to answer or the failure broke the connection.
    int Refused(const std::wstring& what, NorvikStatus status);
    // Asked by Refused: the line that says which connection broke, or null while none did.
    void SetLostConnectionCheck(std::function<const wchar_t*()> check) { lostConnection_ = std::move(check); }
    // The problem and the usage, on standard error. Exit 2.
    int Usage(const std::wstring& problem, const std::wstring& usage);
    // Bad input that the usage would not help with, such as a file that cannot be read: the problem alone.
    // Exit 2.
    int BadInput(const std::wstring& problem);
    // Exit 3.
    int Unavailable(const std::wstring& text);

  private:
    CtlConsole& console_;
    bool json_ = false;
    std::function<const wchar_t*()> lostConnection_;
};
