// The requests the driver answers: name, which kind of handle may issue each, and the lookups the control
// commands and the request log use.
#pragma once

#include <cstdint>

enum class SimScope
{
    Any,    // unbound driver handles and bound device handles
    Driver, // handles not bound to a unit
    Device, // handles bound to a unit
};

struct SimCatalogueEntry
{
    uint32_t code;
    const char* name; // without the NORVIK_IOCTL_ prefix
    SimScope scope;
};

// nullptr for a code that is not in the catalogue.
const SimCatalogueEntry* FindRequest(uint32_t code);

// Accepts "GET_DRIVER_INFO", "NORVIK_IOCTL_GET_DRIVER_INFO" or a number ("0x80882004"); false if unknown.
bool RequestFromName(const char* text, uint32_t* code);

// The name without prefix, or "UNKNOWN".
const char* RequestName(uint32_t code);
