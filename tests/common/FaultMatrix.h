// The fault matrices' shared parts: whether an injected fault was taken, and the panel's loop, where every
// place is run once with a failure status and once with DEVICE_REMOVED, must use up the fault it injected,
// and is counted; the coverage is printed.
#pragma once

#include "driverapi/NorvikStatus.h"
#include "simulator/DriverModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <functional>
#include <set>
#include <string>
#include <type_traits>

// Whether the injected faults have all been taken: the place was reached.
inline bool FaultTaken(const DriverModel& model)
{
    return model.DumpJson().find("\"faults\":[]") != std::string::npos;
}

template <typename Fixture> struct FaultPlace
{
    const char* where;
    uint32_t ioctl;
    void (Fixture::*run)(NorvikStatus status);
};

// The fixture is deduced from the places alone, so the test body passes itself. `afterEach` puts the fixture
// back between runs; `sent` lists every request the code under test sends.
template <typename Fixture, size_t Places, size_t Sent>
void RunFaultMatrix(const char* name, typename std::common_type<Fixture>::type& fixture, DriverModel& model,
                    const FaultPlace<Fixture> (&places)[Places], const uint32_t (&sent)[Sent],
                    const std::function<void()>& afterEach = nullptr)
{
    std::set<uint32_t> covered;
    for (const FaultPlace<Fixture>& place : places)
    {
        for (const NorvikStatus status : {NORVIK_STATUS_FAILED, NORVIK_STATUS_DEVICE_REMOVED})
        {
            SCOPED_TRACE(std::string(place.where) + " / " + StatusName(status));
            (fixture.*place.run)(status);
            EXPECT_TRUE(FaultTaken(model)) << "the place was not reached";
            model.ClearFaults();
            if (afterEach)
            {
                afterEach();
            }
        }
        EXPECT_NE(std::end(sent), std::find(std::begin(sent), std::end(sent), place.ioctl))
            << place.where << ": a request the code does not send";
        covered.insert(place.ioctl);
    }
    std::printf("%s fault matrix: requests covered %zu / %zu sent, places covered %zu / %zu\n", name,
                covered.size(), Sent, Places, Places);
}
