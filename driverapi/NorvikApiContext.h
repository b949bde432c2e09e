// One open handle on the driver. Runs one request at a time and waits for it; a recursive lock serialises
// requests, Open and Close on the same context.
#pragma once

#include "driverapi/DriverPort.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikStatus.h"

#include "wn/WnCriticalSection.h"
#include "wn/WnEvent.h"

#include <cstdint>
#include <memory>

// The formatted device path holds at most this many characters, the terminator included.
constexpr size_t NORVIK_DEVICE_PATH_CHARS = 300;

class NorvikApiContext
{
  public:
    NorvikApiContext() = default;
    virtual ~NorvikApiContext();
    NorvikApiContext(const NorvikApiContext&) = delete;
    NorvikApiContext& operator=(const NorvikApiContext&) = delete;

    // Opens "\\.\name" through the process's driver port and checks the driver's interface version.
    // REJECTED when already open; VERSION_MISMATCH unless the interface major version is 2. Every failure
    // leaves the context closed.
    [[nodiscard]] NorvikStatus Open(const wchar_t* name);
    // Harmless when already closed.
    void Close();
    bool IsOpen() const;

    // NOT_OPENED without a handle. *bytesReturned (optional) never exceeds outSize. A failure that says the
    // connection itself broke (pipe closed, device gone, a bound unit removed) closes the context: the handle
    // can never work again, and its owner sees it closed and opens a new one. A code that may also mean a
    // passing state (ERROR_BAD_COMMAND) closes it only when one driver-info request fails as well.
    [[nodiscard]] NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out,
                                     uint32_t outSize, uint32_t* bytesReturned = nullptr);

    [[nodiscard]] NorvikStatus GetDriverInfo(NorvikDriverInfo* info);

    // Asks the driver once whether an open handle still works, so that a broken connection is found before
    // it is relied on; true while the context is open.
    bool CheckConnection();
    // True from the request that found the connection broken until the next successful Open.
    bool ConnectionLost() const;

  protected:
    // Held by every operation; subclasses hold it across request sequences that must not interleave.
    WnCriticalSection& ContextLock() const { return lock_; }
    // From a successful bind until the next Open: NORVIK_STATUS_DEVICE_REMOVED then means this handle's unit
    // is gone for good.
    void MarkBoundToUnit();

  private:
    mutable WnCriticalSection lock_;
    std::unique_ptr<DriverLink> link_;
    WnEvent ioEvent_; // completion event of every overlapped request on the link
    bool connectionLost_ = false;
    bool boundToUnit_ = false;
};

// Bounds a count that came from the driver by the elements its record holds and by the bytes that arrived.
uint32_t BoundedCount(uint32_t count, uint32_t capacity, uint32_t bytesReturned, uint32_t headerSize,
                      uint32_t elementSize);
