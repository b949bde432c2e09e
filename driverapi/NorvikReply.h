// The reply a server sends to a request: the driver routes it back to the requesting handle by the routing
// words, and the client matches it to its request by the sequence number.
#pragma once

#include "driverapi/NorvikMessage.h"

inline NorvikMessage ReplyTo(const NorvikMessage& request, NorvikStatus result,
                             uint32_t code = NORVIK_REPLY_RESULT)
{
    NorvikMessage reply;
    reply.Init(NORVIK_MSG_REPLY, code);
    reply.sequence = request.sequence;
    reply.routing1 = request.routing1;
    reply.routing2 = request.routing2;
    reply.result = result;
    return reply;
}
