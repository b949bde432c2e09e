// corvexsim.exe: the driver simulator on a named pipe, its control client and its self check.
#include "simulator/DriverModel.h"
#include "simulator/SimArrivalBroadcast.h"
#include "simulator/SimControl.h"
#include "simulator/SimControlClient.h"
#include "simulator/SimPipeServer.h"
#include "simulator/SimSelfCheck.h"
#include "wn/WnText.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>

namespace
{
const char kUsage[] =
    "usage:\n"
    "  corvexsim.exe [-pipe NAME] [-units N] [-script FILE]   serve the driver on \\\\.\\pipe\\NAME "
    "(default\n"
    "                                                          corvex-driver) and control commands on\n"
    "                                                          \\\\.\\pipe\\NAME-control until 'quit'\n"
    "  corvexsim.exe [-pipe NAME] ctl COMMAND...              send one control command, print the reply\n"
    "                                                          (exit 0 for ok, 1 for error, 2 without "
    "simulator)\n"
    "  corvexsim.exe selfcheck                                check the simulator with the driver classes\n"
    "  -units N: units connected at start (default 2: CVX10001, CVX10002 with the effect)\n"
    "  -script FILE: control commands run at start, one per line ('#' starts a comment)\n\n";

struct Options
{
    std::wstring pipe = L"corvex-driver";
    uint32_t units = 2;
    std::wstring script;
    bool help = false;
    bool selfcheck = false;
    bool ctl = false;
    std::string command; // the words after ctl
};

bool ParseOptions(int argc, wchar_t** argv, Options* options)
{
    for (int i = 1; i < argc; ++i)
    {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == L"--help" || arg == L"-h" || arg == L"-?" || arg == L"/?")
            options->help = true;
        else if (arg == L"selfcheck")
            options->selfcheck = true;
        else if (arg == L"-pipe" && hasValue && argv[i + 1][0] != L'\0')
            options->pipe = argv[++i];
        else if (arg == L"-units" && hasValue)
        {
            wchar_t* end = nullptr;
            unsigned long units = std::wcstoul(argv[++i], &end, 10);
            if (*end != L'\0' || units > NORVIK_MAX_DEVICES)
                return false;
            options->units = static_cast<uint32_t>(units);
        }
        else if (arg == L"-script" && hasValue)
            options->script = argv[++i];
        else if (arg == L"ctl" && hasValue)
        {
            options->ctl = true;
            for (++i; i < argc; ++i)
                options->command += (options->command.empty() ? "" : " ") + Utf8(argv[i]);
        }
        else
            return false;
    }
    return true;
}

int SendControlCommand(const Options& options)
{
    SimControlClient client;
    std::string reply;
    DWORD error = client.Connect(options.pipe);
    if (error == ERROR_SUCCESS)
        error = client.Send(options.command, &reply);
    if (error != ERROR_SUCCESS)
    {
        std::printf("error: no simulator on \\\\.\\pipe\\%s-control (Win32 error %lu)\n",
                    Utf8(options.pipe).c_str(), error);
        return 2;
    }
    std::printf("%s\n", reply.c_str());
    return reply.compare(0, 2, "ok") == 0 ? 0 : 1;
}

bool RunScript(const std::wstring& path, SimPipeServer& server)
{
    std::ifstream file(Utf8(path));
    if (!file)
    {
        std::printf("error: cannot read the script %s\n", Utf8(path).c_str());
        return false;
    }
    for (std::string line; std::getline(file, line);)
    {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string reply = server.Execute(line);
        std::printf("> %s\n%s\n", line.c_str(), reply.c_str());
        if (reply.compare(0, 2, "ok") != 0)
            return false;
    }
    return true;
}

int Serve(const Options& options)
{
    DriverModel model(options.units);
    SimControl control(model, BroadcastDeviceInterfaceChange);
    SimPipeServer server(model, control);
    DWORD error = server.Start(options.pipe);
    if (error != ERROR_SUCCESS)
    {
        std::printf("error: cannot serve \\\\.\\pipe\\%s (Win32 error %lu%s)\n", Utf8(options.pipe).c_str(),
                    error, error == ERROR_ACCESS_DENIED ? ": another simulator serves this name" : "");
        return 1;
    }
    if (!options.script.empty() && !RunScript(options.script, server))
        return 1;
    std::printf(
        "corvexsim: serving \\\\.\\pipe\\%s with %u units; control commands on \\\\.\\pipe\\%s-control\n",
        Utf8(options.pipe).c_str(), options.units, Utf8(options.pipe).c_str());
    std::fflush(stdout);
    (void)WaitForSingleObject(server.QuitEvent(), INFINITE);
    server.Stop();
    std::printf("corvexsim: quit\n");
    return 0;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Options options;
    if (!ParseOptions(argc, argv, &options))
    {
        std::printf("%s", kUsage);
        return 1;
    }
    if (options.help)
    {
        std::printf("%s%s", kUsage, SimControl::Help());
        return 0;
    }
    if (options.selfcheck)
        return RunSelfCheck();
    if (options.ctl)
        return SendControlCommand(options);
    return Serve(options);
}
