#include "simulator/SimRequestLog.h"

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikMessage.h"
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
    SimLogEntry entry{nextSequence_++, handle, code, inSize, outSize, status, {}, 0, 0};
    if (in != nullptr)
        std::memcpy(entry.head, in, std::min<size_t>(inSize, sizeof(entry.head)));
    constexpr size_t kTypeAt = offsetof(NorvikMessage, type);
    constexpr size_t kCodeAt = offsetof(NorvikMessage, code);
    static_assert(kCodeAt + sizeof(uint32_t) <= sizeof(entry.head), "the message's code is in the head");
    if (code == NORVIK_IOCTL_SEND_MESSAGE && in != nullptr && inSize >= kCodeAt + sizeof(uint32_t))
    {
        std::memcpy(&entry.messageType, entry.head + kTypeAt, sizeof(entry.messageType));
        std::memcpy(&entry.messageCode, entry.head + kCodeAt, sizeof(entry.messageCode));
    }
    entries_.push_back(entry);
}

size_t CountRequests(const std::vector<SimLogEntry>& log, uint32_t request, uint32_t messageCode)
{
    return static_cast<size_t>(std::count_if(
        log.begin(), log.end(),
        [&](const SimLogEntry& entry) {
            return entry.code == request &&
                   (messageCode == kAnyMessageCode || entry.messageCode == messageCode);
        }));
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
