#pragma once
#include "service/CustomDevice.h"
#include "service/NorvikServer.h"

// The product's server: its units get CustomDevice controllers, and it answers the two requests about a
// unit's Windows sound device configuration (11001 set, 11002 read).
class CustomServer : public NorvikServer
{
  public:
    std::unique_ptr<NorvikDevice> CreateDevice() override;
    NorvikStatus DispatchCustomRequest(const NorvikMessage& request, NorvikMessage& reply) override;

  private:
    NorvikStatus SetSoundDeviceConfiguration(const NorvikMessage& request);
    NorvikStatus GetSoundDeviceConfiguration(const NorvikMessage& request, NorvikMessage& reply);
};
