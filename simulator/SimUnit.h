// One connected unit as the driver models it: its device record and everything its device requests read
// and set, including every record the service sends it. Not locked: the model calls it under its lock.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "simulator/SimMixer.h"
#include "simulator/SimRequest.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a plug command asks for; the model picks the keys.
struct SimUnitSpec
{
    std::wstring serial;           // up to 19 characters
    std::wstring name = L"Corvex"; // up to 41 characters
    uint16_t identity1 = 0x2A39;
    uint16_t identity2 = 0x0102;
    bool highSpeed = true;
    bool plugin = false;
    bool spdifIn = true;         // without it the S/P-DIF input status is OBJECT_NOT_FOUND
    uint8_t analogChannels = 16; // mixer pins of each analog kind; a smaller unit has another pin layout
    uint32_t effectChannels = 8; // bounded to SimUnit::kMaxPluginChannels
};

// One ASIO channel of a unit, as the channel list and the channel information show it.
struct SimChannel
{
    uint32_t kind; // 1 analog, 10 S/P-DIF, 40 virtual
    uint32_t channel;
    std::wstring name;
};

class SimUnit
{
  public:
    SimUnit(uint32_t instance, const SimUnitSpec& unitSpec, uint32_t key1, uint32_t key2);

    // What a successful request changed, for the notifications the model raises.
    struct Changes
    {
        bool volumes = false;
        bool weights = false;
        bool state = false; // S/P-DIF or bypass settings
    };

    // The device requests of the catalogue; INVALID_IOCTL for any other code.
    [[nodiscard]] NorvikStatus Handle(SimRequest& request, Changes* changes);

    // Never reused within one model: a handle bound to an unplugged unit stays orphaned even when the
    // same serial comes back.
    uint32_t Instance() const { return instance_; }
    const NorvikDeviceRecord& Record() const { return record_; }
    uint32_t Key1() const { return record_.key1; }
    uint32_t Key2() const { return record_.key2; }
    std::wstring Serial() const;
    bool IsHighSpeed() const { return record_.IsHighSpeed(); }
    bool HasPlugin() const { return record_.HasPlugin(); }

    // Returns true when the flag changed.
    bool SetStreamingFlag(bool selected);

    // The ASIO channels: the names the service published, or defaults until it has.
    std::vector<SimChannel> Channels(bool outputs) const;

    // For the control commands.
    void SetSpdifIn(bool present, const NorvikSpdifInStatus& status);
    void SetKind2Topology(bool on) { kind2Topology_ = on; }
    SimMixer& Mixer() { return mixer_; }
    // Sets the levels and switches of one render endpoint, as Windows does when its volume changes.
    [[nodiscard]] NorvikStatus SetEndpointVolume(uint32_t index, const int32_t* levels,
                                                 const uint32_t* switches, uint32_t count);

    void DumpTo(nlohmann::json& out) const;

    // More than one record's 64 pairs, so that programs must split their writes.
    static constexpr uint32_t kMaxPluginChannels = 128;
    static constexpr uint32_t kPluginMaxDelayMs = 500;
    static constexpr uint32_t kPluginMaxAmplification = 1000;
    static constexpr uint32_t kRenderDirection = 2;
    static constexpr uint32_t kCaptureDirection = 1;

  private:
    NorvikStatus HandleSpdif(SimRequest& request, Changes* changes);
    NorvikStatus HandleBypass(SimRequest& request, Changes* changes);
    NorvikStatus HandlePlugin(SimRequest& request);
    NorvikStatus HandleEndpointSelection(SimRequest& request);
    // The records the service sends (SimUnitWdm.cpp).
    NorvikStatus HandleWdm(SimRequest& request);
    NorvikStatus GetTopology(SimRequest& request) const;
    NorvikStatus PinConfig(SimRequest& request);
    uint32_t EndpointCount(uint32_t direction) const;
    void DumpWdmTo(nlohmann::json& out) const;

    uint32_t instance_;
    NorvikDeviceRecord record_{};
    bool spdifPresent_ = true;
    NorvikSpdifInStatus spdifIn_{0, 1, 0, 0};
    uint32_t passThrough_ = 0;
    uint8_t volumeBypass_ = 0;
    uint8_t muteBypass_ = 0;
    SimMixer mixer_;
    uint32_t pluginChannels_ = 8;
    uint32_t delayMs_[kMaxPluginChannels] = {};
    uint32_t amplification_[kMaxPluginChannels] = {};
    bool kind2Topology_ = false;

    bool wdmConfigSent_ = false;
    NorvikWdmConfig wdmConfig_{};
    bool channelNamesSent_ = false;
    NorvikChannelNames channelNames_{};
    bool endpointsSent_ = false;
    NorvikWdmEndpoints endpoints_{};
    std::map<uint64_t, NorvikWdmPinConfig> pinConfigs_; // by direction and endpoint index
    // Endpoint units 0 and 2: the selected value, or 8 once set to the default.
    std::map<uint32_t, uint32_t> endpointSelection_;
};
