// The client's half of the message exchange: a request to the service and the wait for its reply.
#pragma once

#include "driverapi/NorvikDriver.h"
#include "driverapi/NorvikMessage.h"

#include <windows.h>

#include <cstdint>

constexpr DWORD NORVIK_CLIENT_TIMEOUT_MS = 30000;

class NorvikClient : public NorvikDriver
{
  public:
    // Sends the request with the next sequence number and waits up to timeoutMs for the reply with that
    // sequence; replies to earlier, timed-out requests are dropped. TIMEOUT when no reply came, FAILED
    // when the wait failed; once a second without a reply, the connection is checked, and a broken one ends
    // the wait at once with the check's failure (the context is closed then). Holds the context lock
    // throughout: one request outstanding at a time.
    [[nodiscard]] NorvikStatus Transact(NorvikMessage* request, NorvikMessage* reply, DWORD timeoutMs);

    // Each returns the status the service put into its reply, or the failure of the exchange.
    [[nodiscard]] NorvikStatus SetSampleRate(uint32_t rate, DWORD timeoutMs);
    [[nodiscard]] NorvikStatus SetBufferSizes(uint32_t streamingClass, uint32_t asioClass,
                                              uint32_t thirdValue);
    [[nodiscard]] NorvikStatus SelectStreamingDevice(uint32_t key1, uint32_t key2, uint32_t mode);
    [[nodiscard]] NorvikStatus SetPolicy(uint32_t flags, DWORD timeoutMs);
    // Whether the service puts a unit's settings back each time it is connected (requests 11003, 11004).
    [[nodiscard]] NorvikStatus SetRestoreSettings(uint32_t key1, uint32_t key2, bool on);
    [[nodiscard]] NorvikStatus GetRestoreSettings(uint32_t key1, uint32_t key2, bool* on);

    // Builds a request of `code` with the payload, runs it and checks the reply: UNEXPECTED_MSG_CODE
    // unless the reply's code is expectedReplyCode, else the reply's result field.
    [[nodiscard]] NorvikStatus Request(uint32_t code, const void* payload, uint32_t size, DWORD timeoutMs,
                                       uint32_t expectedReplyCode, NorvikMessage* reply);

    uint32_t Sequence() const { return sequence_; }

  protected:
    void SetSequence(uint32_t sequence) { sequence_ = sequence; }

  private:
    uint32_t NextSequence();

    uint32_t sequence_ = 0;
};
