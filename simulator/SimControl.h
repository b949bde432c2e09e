// The control commands of the simulator: one line in, one line out. Replies start with "ok" or "error:".
// The command syntax is in simulator/README.md and in Help().
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

    std::string Plug(const Words& words);
    std::string Unplug(const Words& words);
    std::string Set(const Words& words);
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

    // Finds a unit by serial; false with *error filled when there is none.
    bool UnitKeys(const std::string& serial, NorvikDeviceKeys* keys, std::string* error) const;

    DriverModel& model_;
    PlugObserver observer_;
    bool quit_ = false;
};
