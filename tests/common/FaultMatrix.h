// The fault tables' shared loop: each row injects a fault by request code and checks the reaction; failures
// name the row and the status, the injected fault must have been taken (the row's place was reached) and is
// cleared for the next run, and the coverage of what the code under test sends is printed.
#pragma once

#include "driverapi/NorvikStatus.h"
#include "simulator/DriverModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <type_traits>

// Whether the injected faults have all been taken: the place was reached.
inline bool FaultTaken(const DriverModel& model)
{
    return model.DumpJson().find("\"faults\":[]") != std::string::npos;
}

class FaultTable
{
  public:
    explicit FaultTable(const char* name) : name_(name) {}

    // One run of a row: `act` injects `status` on `ioctl` into `model` (or nothing, for a row whose refusal
    // needs no fault), runs the code under test and checks its reaction.
    template <typename Act>
    void Run(DriverModel& model, const std::string& where, uint32_t ioctl, NorvikStatus status, Act act)
    {
        SCOPED_TRACE(where + " / " + StatusName(status));
        act();
        EXPECT_TRUE(FaultTaken(model)) << "the place was not reached";
        model.ClearFaults();
        ++runs_;
        covered_.insert(ioctl);
    }

    // Every row's request must be one of `sent`, what the code under test sends; prints the coverage.
    template <typename Sent> void Report(const Sent& sent) const
    {
        const std::set<uint32_t> sending(std::begin(sent), std::end(sent));
        for (const uint32_t ioctl : covered_)
        {
            EXPECT_EQ(1u, sending.count(ioctl))
                << name_ << ": request " << ioctl << " is not one the code sends";
        }
        const size_t reached = std::count_if(sending.begin(), sending.end(),
                                             [this](uint32_t ioctl) { return covered_.count(ioctl) != 0; });
        std::printf("%s fault matrix: requests covered %zu / %zu sent, %zu runs\n", name_, reached,
                    sending.size(), runs_);
    }

  private:
    const char* name_;
    size_t runs_ = 0;
    std::set<uint32_t> covered_;
};

// The panel's tables: every place runs once with a failure status and once with DEVICE_REMOVED.
template <typename Fixture> struct FaultPlace
{
    const char* where;
    uint32_t ioctl;
    void (Fixture::*run)(NorvikStatus status);
};

// The fixture is deduced from the places alone, so the test body passes itself. `afterEach` puts the fixture
// back between runs.
template <typename Fixture, size_t Places, size_t Sent>
void RunFaultMatrix(const char* name, typename std::common_type<Fixture>::type& fixture, DriverModel& model,
                    const FaultPlace<Fixture> (&places)[Places], const uint32_t (&sent)[Sent],
                    const std::function<void()>& afterEach = nullptr)
{
    FaultTable table(name);
    for (const FaultPlace<Fixture>& place : places)
    {
        for (const NorvikStatus status : {NORVIK_STATUS_FAILED, NORVIK_STATUS_DEVICE_REMOVED})
        {
            table.Run(model, place.where, place.ioctl, status, [&] { (fixture.*place.run)(status); });
            if (afterEach)
            {
                afterEach();
            }
        }
    }
    table.Report(sent);
}
