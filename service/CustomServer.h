#pragma once
#include "service/CustomDevice.h"
#include "service/NorvikServer.h"

class WnEventLogWriter;

// The product's server: its units get CustomDevice controllers, and it answers the two requests about a
// unit's Windows sound device configuration (11001 set, 11002 read) and the two about keeping a unit's
// settings for its next connection (11003 set, 11004 read).
class CustomServer : public NorvikServer
{
  public:
    std::unique_ptr<NorvikDevice> CreateDevice() override;
    NorvikStatus DispatchCustomRequest(const NorvikMessage& request, NorvikMessage& reply) override;
    // The driver's reports of changed unit settings (3040, 3052), when the driver sends them to the server.
    void OnUnknownEvent(const NorvikMessage& event) override;

    // Where the units report what happened to their kept settings; not owned, null reports nothing. Units
    // created later get it.
    void SetEventLog(WnEventLogWriter* log) noexcept { log_ = log; }

  private:
    // The 16-byte payload {key 1, key 2, value, value} of the unit requests, and the unit's controller.
    NorvikStatus ReadUnitRequest(const NorvikMessage& request, uint32_t (&values)[4], CustomDevice** device);
    static NorvikStatus Answer(NorvikMessage& reply, uint32_t code, uint32_t (&values)[4], uint32_t first,
                               uint32_t second);
    NorvikStatus SetSoundDeviceConfiguration(const NorvikMessage& request);
    NorvikStatus GetSoundDeviceConfiguration(const NorvikMessage& request, NorvikMessage& reply);
    NorvikStatus SetRestoreSettings(const NorvikMessage& request);
    NorvikStatus GetRestoreSettings(const NorvikMessage& request, NorvikMessage& reply);

    WnEventLogWriter* log_ = nullptr; // not owned
};
