#include "simulator/SimRequestLog.h"

#include "simulator/SimCatalogue.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

std::string StatusText(NorvikStatus status)
{
    if (status == NORVIK_STATUS_SUCCESS)
        return "SUCCESS";
    std::string name = StatusName(status);
    if (name != "???")
        return name.substr(sizeof("NORVIK_STATUS_") - 1);
    char number[16];
    snprintf(number, sizeof(number), "0x%08X", status);
    return number;
}

void SimRequestLog::Add(uint32_t handle, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize,
                        NorvikStatus status)
{
    if (entries_.size() >= kLimit)
        entries_.pop_front();
    SimLogEntry entry{nextSequence_++, handle, code, inSize, outSize, status, {}};
    if (in != nullptr)
        std::memcpy(entry.head, in, std::min<size_t>(inSize, sizeof(entry.head)));
    entries_.push_back(entry);
}

std::string SimRequestLog::ToJson() const
{
    nlohmann::json list = nlohmann::json::array();
    for (const SimLogEntry& e : entries_)
    {
        list.push_back({{"seq", e.sequence},
                        {"handle", e.handle},
                        {"request", RequestName(e.code)},
                        {"in", e.inSize},
                        {"out", e.outSize},
                        {"status", StatusText(e.status)}});
    }
    return list.dump();
}
