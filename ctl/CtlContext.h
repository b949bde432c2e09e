// One run of corvexctl: its output, the command being run, and the client handle on the driver, opened
// only once the arguments have been checked.
#pragma once

#include "ctl/CtlOutput.h"
#include "driverapi/NorvikClient.h"

#include <windows.h>

#include <string>
#include <vector>

struct CtlCommand;
using CtlArgs = std::vector<std::wstring>;

class CtlContext
{
  public:
    // stopEvent (not owned) ends a command that runs until interrupted.
    CtlContext(CtlConsole& console, HANDLE stopEvent);

    CtlOutput& Out() { return output_; }
    HANDLE StopEvent() const { return stopEvent_; }

    void SetCommand(const CtlCommand* command) { command_ = command; }
    // The problem and the running command's usage on standard error; exit 2.
    int Usage(const std::wstring& problem);

    // Opens the handle in the client role (the service holds the server role) and reads the device list,
    // once per run. 0, or the exit code after the message has been printed.
    int Connect();
    // Connect for a command that takes no arguments; exit 2 when it was given some.
    int ConnectWithoutArguments(const wchar_t* command, const CtlArgs& args);
    NorvikClient& Client() { return client_; }
    // Connects and finds the unit: exit 2 for a word that cannot be a serial (before connecting), exit 3
    // when no unit has this serial.
    int FindUnit(const std::wstring& serial, NorvikDevice** device);

  private:
    // Which connection a failed request broke, for CtlOutput::Refused; null while both still work.
    const wchar_t* LostConnection() const;

    CtlOutput output_;
    HANDLE stopEvent_;
    const CtlCommand* command_ = nullptr;
    NorvikClient client_;
    bool connected_ = false;
};
