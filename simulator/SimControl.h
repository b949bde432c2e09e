// The control commands of the simulator: one line in, one line out. Replies start with "ok" or "error:".
// The command syntax is in simulator/README.md and in Help(), which is built from the command table.
#pragma once

#include "simulator/DriverModel.h"

#include <functional>
#include <string>
#include <vector>

class SimControl
{
  public:
    // Told about every unit plugged in (true) or pulled out (false), after the model changed.
    using PlugObserver = std::function<void(bool plugged, const NorvikDeviceRecord& record)>;

    explicit SimControl(DriverModel& model, PlugObserver observer = nullptr)
        : model_(model), observer_(std::move(observer))
    {
    }

    // Runs one command line (UTF-8). Never throws; malformed input gets one "error: ..." line.
    std::string Execute(const std::string& line);

    // True once "quit" has been executed.
    bool QuitRequested() const { return quit_; }

    static const char* Help();

  private:
    using Words = std::vector<std::string>;
    // Answers one command line split into words. An empty answer means the words do not fit the command;
    // the caller then answers with the command's usage, so that text is written only once.
    using Handler = std::string (SimControl::*)(const Words& words);

    // One row per command: help text, usage errors and the reply to "help" all come from these tables.
    struct Command
    {
        const char* verb;
        const char* usage;
        const char* help; // for --help; may span lines; nullptr when the usage says it all
        Handler handler;
        const std::vector<Command>* subcommands; // "set" lists its own rows
    };
    static const std::vector<Command> kCommands;
    static const std::vector<Command> kSetCommands;

    static std::string Error(const std::string& text);
    // "ok", or the status as an error.
    static std::string Result(NorvikStatus status);
    static std::string BuildHelp();
    static std::string WrongWords() { return std::string(); }
    // Finds the row of `verb` and runs it; `unknown` is the reply when there is no such row.
    std::string Run(const std::vector<Command>& table, const std::string& verb, const Words& words,
                    const std::string& unknown);

    std::string Plug(const Words& words);
    std::string Unplug(const Words& words);
    std::string Set(const Words& words);
    std::string SetRate(const Words& words);
    std::string SetRates(const Words& words);
    std::string SetBuffers(const Words& words);
    std::string SetActivity(const Words& words);
    std::string SetErrors(const Words& words);
    std::string SetState(const Words& words);
    std::string SetPolicy(const Words& words);
    std::string SetDriverVersion(const Words& words);
    std::string SetInterface(const Words& words);
    std::string SetPresent(const Words& words);
    std::string Client(const Words& words);
    std::string Spdif(const Words& words);
    std::string HardwareVolume(const Words& words);
    std::string EndpointVolume(const Words& words);
    std::string Topology(const Words& words);
    std::string Levels(const Words& words);
    std::string Pins(const Words& words);
    std::string Notify(const Words& words);
    std::string Fail(const Words& words);
    std::string Log(const Words& words);
    std::string Dump(const Words& words);
    std::string Quit(const Words& words);

    // Finds a unit by serial; false with *error filled when there is none.
    bool UnitKeys(const std::string& serial, NorvikDeviceKeys* keys, std::string* error) const;

    DriverModel& model_;
    PlugObserver observer_;
    bool quit_ = false;
};
