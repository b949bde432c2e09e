#include "simulator/SimCatalogue.h"

#include "driverapi/NorvikIoctl.h"
#include "simulator/SimParse.h"

#include <cstring>
#include <iterator>

namespace
{
#define SIM_REQUEST(name, scope)                                                                             \
    {                                                                                                        \
        NORVIK_IOCTL_##name, #name, SimScope::scope                                                          \
    }
const SimCatalogueEntry kCatalogue[] = {
    SIM_REQUEST(GET_DRIVER_INFO, Any),
    SIM_REQUEST(SEND_MESSAGE, Driver),
    SIM_REQUEST(RECEIVE_MESSAGE, Driver),
    SIM_REQUEST(RECEIVE_NOTIFICATION, Driver),
    SIM_REQUEST(SET_EVENTS, Driver),
    SIM_REQUEST(SET_ROLE, Driver),
    SIM_REQUEST(GET_DEVICE_LIST, Driver),
    SIM_REQUEST(BIND_DEVICE, Device), // issued on an unbound handle, which it turns into a device handle
    SIM_REQUEST(GET_IN_CHANNEL_LIST, Driver),
    SIM_REQUEST(GET_OUT_CHANNEL_LIST, Driver),
    SIM_REQUEST(GET_CHANNEL_INFO, Driver),
    SIM_REQUEST(GET_SAMPLE_RATES, Driver),
    SIM_REQUEST(GET_BUFFER_SIZES, Driver),
    SIM_REQUEST(GET_STREAMING_STATUS, Driver),
    SIM_REQUEST(GET_ERROR_COUNTERS, Driver),
    SIM_REQUEST(STREAMING_COMMAND, Driver),
    SIM_REQUEST(SET_SAMPLE_RATE, Driver),
    SIM_REQUEST(SET_BUFFER_SIZES, Driver),
    SIM_REQUEST(ANNOUNCE_SAMPLE_RATE, Driver),
    SIM_REQUEST(SET_POLICY, Driver),
    SIM_REQUEST(GET_POLICY, Driver),
    SIM_REQUEST(SET_STREAMING_DEVICE, Driver),
    SIM_REQUEST(GET_ENDPOINT_TOPOLOGY, Device),
    SIM_REQUEST(SET_WDM_CONFIG, Device),
    SIM_REQUEST(SET_CHANNEL_NAMES, Device),
    SIM_REQUEST(SET_WDM_ENDPOINTS, Device),
    SIM_REQUEST(GET_SPDIF_IN_STATUS, Device),
    SIM_REQUEST(SET_SPDIF_PASS_THROUGH, Device),
    SIM_REQUEST(GET_SPDIF_PASS_THROUGH, Device),
    SIM_REQUEST(GET_INPUT_LEVELS, Device),
    SIM_REQUEST(GET_OUTPUT_LEVELS, Device),
    SIM_REQUEST(GET_MIXER_PINS, Device),
    SIM_REQUEST(GET_PIN_VOLUMES, Device),
    SIM_REQUEST(GET_CROSSPOINT_WEIGHTS, Device),
    SIM_REQUEST(SET_PIN_VOLUMES, Device),
    SIM_REQUEST(SET_CROSSPOINT_WEIGHTS, Device),
    SIM_REQUEST(SET_VOLUME_BYPASS, Device),
    SIM_REQUEST(GET_VOLUME_BYPASS, Device),
    SIM_REQUEST(SET_MUTE_BYPASS, Device),
    SIM_REQUEST(GET_MUTE_BYPASS, Device),
    SIM_REQUEST(GET_WDM_PIN_CONFIG, Device),
    SIM_REQUEST(SET_WDM_PIN_CONFIG, Device),
    SIM_REQUEST(SET_PLUGIN_PARAMETERS, Device),
    SIM_REQUEST(QUERY_PLUGIN, Device),
    SIM_REQUEST(SET_ENDPOINT_DEFAULT, Device),
    SIM_REQUEST(SELECT_ENDPOINT, Device),
};
#undef SIM_REQUEST

const char kPrefix[] = "NORVIK_IOCTL_";
} // namespace

const SimCatalogueEntry* FindRequest(uint32_t code)
{
    for (const SimCatalogueEntry& entry : kCatalogue)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

bool RequestFromName(const char* text, uint32_t* code)
{
    if (std::strncmp(text, kPrefix, sizeof(kPrefix) - 1) == 0)
        text += sizeof(kPrefix) - 1;
    for (const SimCatalogueEntry& entry : kCatalogue)
    {
        if (std::strcmp(entry.name, text) == 0)
        {
            *code = entry.code;
            return true;
        }
    }
    return ParseU32(text, code);
}

const char* RequestName(uint32_t code)
{
    const SimCatalogueEntry* entry = FindRequest(code);
    return entry ? entry->name : "UNKNOWN";
}
