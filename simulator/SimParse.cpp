#include "simulator/SimParse.h"

#include <cerrno>
#include <cstdlib>

bool ParseU32(const std::string& text, uint32_t* value)
{
    // strtoull takes "-1" as a huge positive number; a sign is never meant here.
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || parsed > 0xFFFFFFFFull)
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseI32(const std::string& text, int32_t* value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseI16(const std::string& text, int16_t* value)
{
    int32_t wide;
    if (!ParseI32(text, &wide) || wide < INT16_MIN || wide > INT16_MAX)
        return false;
    *value = static_cast<int16_t>(wide);
    return true;
}

bool ParseU32s(const std::vector<std::string>& words, size_t first, size_t count, uint32_t* values)
{
    if (words.size() != first + count)
        return false;
    for (size_t i = 0; i < count; ++i)
        if (!ParseU32(words[first + i], &values[i]))
            return false;
    return true;
}

bool ParseStatus(const std::string& text, NorvikStatus* status)
{
    if (text == "SUCCESS" || text == "0")
    {
        *status = NORVIK_STATUS_SUCCESS;
        return true;
    }
    if (StatusFromName(text.c_str(), status) || StatusFromName(("NORVIK_STATUS_" + text).c_str(), status))
        return true;
    return ParseU32(text, status);
}
