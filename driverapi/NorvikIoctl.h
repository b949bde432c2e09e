// The driver's I/O control codes and the records they exchange. All records are packed and little-endian;
// strings are zero-terminated UTF-16 in fixed arrays.
#pragma once

#include <cstddef>
#include <cstdint>

// Device type 0x8088, buffered, any access: 0x80880000 + 4 * function.
constexpr uint32_t NorvikIoctlCode(uint32_t function)
{
    return 0x80880000u + 4u * function;
}

constexpr uint32_t NORVIK_IOCTL_GET_DRIVER_INFO = NorvikIoctlCode(0x801);
constexpr uint32_t NORVIK_IOCTL_SEND_MESSAGE = NorvikIoctlCode(0x810);
constexpr uint32_t NORVIK_IOCTL_RECEIVE_MESSAGE = NorvikIoctlCode(0x811);
constexpr uint32_t NORVIK_IOCTL_RECEIVE_NOTIFICATION = NorvikIoctlCode(0x812);
constexpr uint32_t NORVIK_IOCTL_SET_EVENTS = NorvikIoctlCode(0x816);
constexpr uint32_t NORVIK_IOCTL_SET_ROLE = NorvikIoctlCode(0x819);
constexpr uint32_t NORVIK_IOCTL_GET_DEVICE_LIST = NorvikIoctlCode(0x820);
constexpr uint32_t NORVIK_IOCTL_BIND_DEVICE = NorvikIoctlCode(0x821);
constexpr uint32_t NORVIK_IOCTL_GET_IN_CHANNEL_LIST = NorvikIoctlCode(0x824);
constexpr uint32_t NORVIK_IOCTL_GET_OUT_CHANNEL_LIST = NorvikIoctlCode(0x825);
constexpr uint32_t NORVIK_IOCTL_GET_CHANNEL_INFO = NorvikIoctlCode(0x826);
constexpr uint32_t NORVIK_IOCTL_GET_SAMPLE_RATES = NorvikIoctlCode(0x830);
constexpr uint32_t NORVIK_IOCTL_GET_BUFFER_SIZES = NorvikIoctlCode(0x831);
constexpr uint32_t NORVIK_IOCTL_GET_STREAMING_STATUS = NorvikIoctlCode(0x834);
constexpr uint32_t NORVIK_IOCTL_GET_ERROR_COUNTERS = NorvikIoctlCode(0x835);
constexpr uint32_t NORVIK_IOCTL_STREAMING_COMMAND = NorvikIoctlCode(0x840);
constexpr uint32_t NORVIK_IOCTL_SET_SAMPLE_RATE = NorvikIoctlCode(0x900);
constexpr uint32_t NORVIK_IOCTL_SET_BUFFER_SIZES = NorvikIoctlCode(0x901);
constexpr uint32_t NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE = NorvikIoctlCode(0x902);
constexpr uint32_t NORVIK_IOCTL_SET_POLICY = NorvikIoctlCode(0x903);
constexpr uint32_t NORVIK_IOCTL_GET_POLICY = NorvikIoctlCode(0x904);
constexpr uint32_t NORVIK_IOCTL_SET_STREAMING_DEVICE = NorvikIoctlCode(0x910);
constexpr uint32_t NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY = NorvikIoctlCode(0xB00);
constexpr uint32_t NORVIK_IOCTL_SET_WDM_CONFIG = NorvikIoctlCode(0xB08);
constexpr uint32_t NORVIK_IOCTL_SET_CHANNEL_NAMES = NorvikIoctlCode(0xB10);
constexpr uint32_t NORVIK_IOCTL_SET_WDM_ENDPOINTS = NorvikIoctlCode(0xB11);
constexpr uint32_t NORVIK_IOCTL_GET_SPDIF_IN_STATUS = NorvikIoctlCode(0xB20);
constexpr uint32_t NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH = NorvikIoctlCode(0xB21);
constexpr uint32_t NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH = NorvikIoctlCode(0xB22);
constexpr uint32_t NORVIK_IOCTL_GET_INPUT_LEVELS = NorvikIoctlCode(0xB30);
constexpr uint32_t NORVIK_IOCTL_GET_OUTPUT_LEVELS = NorvikIoctlCode(0xB31);
constexpr uint32_t NORVIK_IOCTL_GET_MIXER_PINS = NorvikIoctlCode(0xB38);
constexpr uint32_t NORVIK_IOCTL_GET_PIN_VOLUMES = NorvikIoctlCode(0xB40);
constexpr uint32_t NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS = NorvikIoctlCode(0xB41);
constexpr uint32_t NORVIK_IOCTL_SET_PIN_VOLUMES = NorvikIoctlCode(0xB44);
constexpr uint32_t NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS = NorvikIoctlCode(0xB45);
constexpr uint32_t NORVIK_IOCTL_SET_VOLUME_BYPASS = NorvikIoctlCode(0xB46);
constexpr uint32_t NORVIK_IOCTL_GET_VOLUME_BYPASS = NorvikIoctlCode(0xB47);
constexpr uint32_t NORVIK_IOCTL_SET_MUTE_BYPASS = NorvikIoctlCode(0xB48);
constexpr uint32_t NORVIK_IOCTL_GET_MUTE_BYPASS = NorvikIoctlCode(0xB49);
constexpr uint32_t NORVIK_IOCTL_GET_WDM_PIN_CONFIG = NorvikIoctlCode(0xB70);
constexpr uint32_t NORVIK_IOCTL_SET_WDM_PIN_CONFIG = NorvikIoctlCode(0xB71);
constexpr uint32_t NORVIK_IOCTL_SET_PLUGIN_PARAMETERS = NorvikIoctlCode(0xB90);
constexpr uint32_t NORVIK_IOCTL_QUERY_PLUGIN = NorvikIoctlCode(0xB91);
constexpr uint32_t NORVIK_IOCTL_SET_ENDPOINT_DEFAULT = NorvikIoctlCode(0xC20);
constexpr uint32_t NORVIK_IOCTL_SELECT_ENDPOINT = NorvikIoctlCode(0xC22);

static_assert(NORVIK_IOCTL_GET_DRIVER_INFO == 0x80882004, "code layout");
static_assert(NORVIK_IOCTL_SELECT_ENDPOINT == 0x80883088, "code layout");

// The interface name, which is also the device interface class of arrivals.
#define NORVIK_DRIVER_NAME L"{53A43FDF-0796-4483-9547-A6B25C1FA343}"

// Handle roles.
constexpr uint32_t NORVIK_ROLE_SERVER = 0;
constexpr uint32_t NORVIK_ROLE_CLIENT = 2;
constexpr uint32_t NORVIK_ROLE_AUXILIARY = 3;
constexpr uint32_t NORVIK_ROLE_AUXILIARY_MIXER = 4;

constexpr uint32_t NORVIK_MAX_DEVICES = 8;
constexpr uint32_t NORVIK_MAX_CHANNELS = 96;
constexpr uint32_t NORVIK_MAX_SAMPLE_RATES = 12;
constexpr uint32_t NORVIK_MAX_TOPOLOGY_ENDPOINTS = 12;

#pragma pack(push, 1)

// A flag byte with bit 0 set or cleared and its other bits kept.
constexpr uint8_t WithBit0(uint8_t flags, bool on)
{
    return static_cast<uint8_t>(on ? (flags | 1u) : (flags & ~1u));
}

struct NorvikDriverInfo
{
    uint32_t interfaceMajor; // the library accepts only 2
    uint32_t interfaceMinor;
    uint32_t driverMajor;
    uint32_t driverMinor;
    uint32_t driverBuild;
    uint32_t flags; // bit 0: debug build

    bool IsDebugBuild() const { return (flags & 1u) != 0; }
    void SetDebugBuild(bool on) { flags = on ? (flags | 1u) : (flags & ~1u); }
};
static_assert(sizeof(NorvikDriverInfo) == 24, "driver info");

struct NorvikSetEvents
{
    uint64_t messageEvent; // handle value in the low 32 bits; 0 for none
    uint64_t notificationEvent;
};
static_assert(sizeof(NorvikSetEvents) == 16, "set events");

struct NorvikDeviceRecord
{
    uint32_t key1;
    uint32_t key2;
    uint16_t identity1;
    uint16_t identity2;
    wchar_t serial[20];
    wchar_t name[42];
    uint8_t speedFlags;     // bit 0: high speed
    uint8_t featureFlags;   // bit 0: effect plug-in
    uint8_t streamingFlags; // bit 0: selected for streaming
    uint8_t reserved;

    bool IsHighSpeed() const { return (speedFlags & 1u) != 0; }
    bool HasPlugin() const { return (featureFlags & 1u) != 0; }
    bool IsStreamingDevice() const { return (streamingFlags & 1u) != 0; }
    // The other bits of each byte stay as the driver set them.
    void SetHighSpeed(bool on) { speedFlags = WithBit0(speedFlags, on); }
    void SetHasPlugin(bool on) { featureFlags = WithBit0(featureFlags, on); }
    void SetStreamingDevice(bool on) { streamingFlags = WithBit0(streamingFlags, on); }
};
static_assert(sizeof(wchar_t) == 2, "UTF-16 strings");
static_assert(sizeof(NorvikDeviceRecord) == 140, "device record");
static_assert(offsetof(NorvikDeviceRecord, identity1) == 8, "device record");
static_assert(offsetof(NorvikDeviceRecord, identity2) == 10, "device record");
static_assert(offsetof(NorvikDeviceRecord, serial) == 12, "device record");
static_assert(offsetof(NorvikDeviceRecord, name) == 52, "device record");
static_assert(offsetof(NorvikDeviceRecord, speedFlags) == 136, "device record");
static_assert(offsetof(NorvikDeviceRecord, streamingFlags) == 138, "device record");

struct NorvikDeviceList
{
    uint32_t count; // only the first min(count, 8) records are meaningful
    NorvikDeviceRecord devices[NORVIK_MAX_DEVICES];
};
static_assert(sizeof(NorvikDeviceList) == 1124, "device list");

struct NorvikDeviceKeys
{
    uint32_t key1;
    uint32_t key2;
};
static_assert(sizeof(NorvikDeviceKeys) == 8, "device keys");

struct NorvikChannelId
{
    uint32_t word1;
    uint32_t word2;
};

struct NorvikChannelList
{
    uint32_t count; // at most 96 identifiers fit
    NorvikChannelId channels[NORVIK_MAX_CHANNELS];
};
static_assert(sizeof(NorvikChannelList) == 772, "channel list");

struct NorvikChannelInfo
{
    uint32_t unused0;
    uint32_t unused1;
    uint32_t key1;
    uint32_t key2;
    uint32_t unused4;
    uint32_t unused5;
    wchar_t name[42];
};
static_assert(sizeof(NorvikChannelInfo) == 108, "channel info");
static_assert(offsetof(NorvikChannelInfo, key1) == 8, "channel info");
static_assert(offsetof(NorvikChannelInfo, name) == 24, "channel info");

struct NorvikSampleRates
{
    uint32_t current;
    uint32_t count; // at most 12 rates fit
    uint32_t rates[NORVIK_MAX_SAMPLE_RATES];
};
static_assert(sizeof(NorvikSampleRates) == 56, "sample rates");

constexpr uint32_t NORVIK_RATE_DSD64 = 2822400;
constexpr uint32_t NORVIK_RATE_DSD128 = 5644800;
// DSD rates belong to the ASIO host that streams DSD: neither program ever requests one.
constexpr bool IsDsdRate(uint32_t rateHz)
{
    return rateHz == NORVIK_RATE_DSD64 || rateHz == NORVIK_RATE_DSD128;
}

// The driver's policy word: bit 0 forbids sample-rate changes; the other bits are the driver's own and go
// back to it as it reported them.
constexpr uint32_t NORVIK_POLICY_FORBID_RATE_CHANGE = 1;
constexpr bool ForbidsRateChange(uint32_t policy)
{
    return (policy & NORVIK_POLICY_FORBID_RATE_CHANGE) != 0;
}
constexpr uint32_t WithRateChangeForbidden(uint32_t policy, bool forbid)
{
    return forbid ? (policy | NORVIK_POLICY_FORBID_RATE_CHANGE)
                  : (policy & ~NORVIK_POLICY_FORBID_RATE_CHANGE);
}

struct NorvikBufferSizes
{
    uint32_t streamingClass; // 0 Minimum .. 5 Safe
    uint32_t asioClass;      // 0 Minimum .. 3 Maximum
    uint32_t thirdValue;     // passed back unchanged
    uint32_t streamingLatencyUs;
    uint32_t asioLatencyUs;
    uint32_t asioLatencySamples;
    uint8_t unused[8];
};
static_assert(sizeof(NorvikBufferSizes) == 32, "buffer sizes");

struct NorvikSetBufferSizes
{
    uint32_t streamingClass;
    uint32_t asioClass;
    uint32_t thirdValue;
};
static_assert(sizeof(NorvikSetBufferSizes) == 12, "set buffer sizes");

enum NorvikStreamingState : uint32_t
{
    NORVIK_STREAMING_UNDEFINED = 0,
    NORVIK_STREAMING_DOWN = 1,
    NORVIK_STREAMING_READY = 2,
    NORVIK_STREAMING_PREPARED = 3,
    NORVIK_STREAMING_RUNNING = 4,
    NORVIK_STREAMING_ERROR = 5,
    NORVIK_STREAMING_USB11 = 6,
};

struct NorvikStreamingStatus
{
    uint32_t state;
    uint32_t mode; // 0 one selected device, 1 all devices
    uint32_t sampleRate;
    uint32_t activity[6]; // words 3..8: activity counters of the driver's clients

    // Activity word 3 to 8 by the driver's numbering of the status words; 0 for any other number.
    uint32_t ActivityWord(size_t word) const { return word >= 3 && word <= 8 ? activity[word - 3] : 0; }
    // What the counters count is the driver's business; the service only tests them for zero.
    // Words 4 or 5: a sample-rate, buffer-size or streaming-device change must wait.
    bool BlocksStreamSettingChange() const { return ActivityWord(4) != 0 || ActivityWord(5) != 0; }
    // Word 4: a policy or sound-configuration change must wait.
    bool BlocksPolicyChange() const { return ActivityWord(4) != 0; }
};
static_assert(sizeof(NorvikStreamingStatus) == 36, "streaming status");

struct NorvikErrorCounters
{
    uint32_t counters[5];
};
static_assert(sizeof(NorvikErrorCounters) == 20, "error counters");

enum NorvikStreamingCommandCode : uint32_t
{
    NORVIK_CMD_CLEAR_ERROR = 1,
    NORVIK_CMD_DOWN_TO_READY = 2,
    NORVIK_CMD_READY_TO_DOWN = 3,
    NORVIK_CMD_READY_TO_PREPARED = 4,
    NORVIK_CMD_PREPARED_TO_RUNNING = 5,
    NORVIK_CMD_TO_READY = 6,
};

struct NorvikStreamingCommand
{
    uint32_t command;
    uint32_t argument;
};
static_assert(sizeof(NorvikStreamingCommand) == 8, "streaming command");

struct NorvikStreamingDevice
{
    uint32_t mode; // 0 one device, 1 all devices
    uint32_t key1;
    uint32_t key2;
};
static_assert(sizeof(NorvikStreamingDevice) == 12, "streaming device");

struct NorvikTopologyItem
{
    uint32_t kind; // the service only asks whether any item has kind 2
    uint32_t value;
};

struct NorvikTopologyEndpoint
{
    NorvikTopologyItem first[16];
    NorvikTopologyItem second[16];
    uint8_t rest[40];
};
static_assert(sizeof(NorvikTopologyEndpoint) == 296, "topology endpoint");

struct NorvikEndpointTopology
{
    uint32_t count; // at most 12 entries fit
    uint32_t reserved;
    NorvikTopologyEndpoint endpoints[NORVIK_MAX_TOPOLOGY_ENDPOINTS];
};
static_assert(sizeof(NorvikEndpointTopology) == 3560, "endpoint topology entries");
// The request's output is 3624 bytes; the tail after the twelve entries is not used.
constexpr uint32_t NORVIK_ENDPOINT_TOPOLOGY_SIZE = 3624;
struct NorvikEndpointTopologyBuffer
{
    NorvikEndpointTopology topology;
    uint8_t tail[NORVIK_ENDPOINT_TOPOLOGY_SIZE - sizeof(NorvikEndpointTopology)];
};
static_assert(sizeof(NorvikEndpointTopologyBuffer) == 3624, "endpoint topology");
static_assert(offsetof(NorvikEndpointTopology, endpoints) == 8, "endpoint topology");

struct NorvikWdmConfigPair
{
    uint32_t kind;
    uint32_t value;
};

struct NorvikWdmConfig
{
    uint32_t count;
    NorvikWdmConfigPair pairs[16];
    uint32_t unused;
};
static_assert(sizeof(NorvikWdmConfig) == 136, "wdm config");

struct NorvikChannelNameEntry
{
    uint32_t kind; // 1 analog, 10 S/P-DIF, 40 virtual
    uint32_t pairIndex;
    uint32_t side; // 0 or 1
    wchar_t name[42];
};
static_assert(sizeof(NorvikChannelNameEntry) == 96, "channel name entry");

struct NorvikChannelNameHalf
{
    uint32_t count;
    NorvikChannelNameEntry entries[32];
};
static_assert(sizeof(NorvikChannelNameHalf) == 3076, "channel name half");

struct NorvikChannelNames
{
    NorvikChannelNameHalf inputs;
    NorvikChannelNameHalf outputs;
};
static_assert(sizeof(NorvikChannelNames) == 6152, "channel names");

struct NorvikWdmEndpointEntry
{
    uint32_t kind;           // 1 analog, 10 S/P-DIF, 20 MIDI, 40 virtual
    uint32_t pairCount;      // channel pairs of the endpoint, at most 8; the service sends 1
    uint32_t pairIndexes[8]; // the first pairCount: each pair's index within the kind; the rest zero
    uint32_t format;         // 0 PCM, 1 S/P-DIF out, 2 MIDI
    uint32_t analog3;        // 3 for analog, 0 otherwise
    wchar_t name[42];
    int32_t midiDirection; // 1 out, -1 in
    uint32_t ownIndex;     // the entry's position in its half
    uint32_t level;        // 16.16 fixed-point dB
    uint32_t zero36;
};
static_assert(sizeof(NorvikWdmEndpointEntry) == 148, "wdm endpoint entry");
static_assert(offsetof(NorvikWdmEndpointEntry, pairIndexes) == 8, "wdm endpoint entry");
static_assert(offsetof(NorvikWdmEndpointEntry, format) == 40, "wdm endpoint entry");
static_assert(offsetof(NorvikWdmEndpointEntry, name) == 48, "wdm endpoint entry");
static_assert(offsetof(NorvikWdmEndpointEntry, midiDirection) == 132, "wdm endpoint entry");
static_assert(offsetof(NorvikWdmEndpointEntry, level) == 140, "wdm endpoint entry");

struct NorvikWdmEndpointHalf
{
    uint32_t count;
    NorvikWdmEndpointEntry entries[32];
};
static_assert(sizeof(NorvikWdmEndpointHalf) == 4740, "wdm endpoint half");

struct NorvikWdmEndpoints
{
    NorvikWdmEndpointHalf capture;
    NorvikWdmEndpointHalf render;
};
static_assert(sizeof(NorvikWdmEndpoints) == 9480, "wdm endpoints");

struct NorvikSpdifInStatus
{
    uint32_t inputIndex;
    uint32_t state;  // 0 not streaming, 1 no signal, 2 synchronizing, 3 locked
    uint32_t format; // 0 unknown, 1 PCM, 2 non-PCM
    uint32_t sampleRate;
};
static_assert(sizeof(NorvikSpdifInStatus) == 16, "spdif in status");

struct NorvikSpdifPassThrough
{
    uint32_t selector1;
    uint32_t selector2;
    uint32_t enable;
};
static_assert(sizeof(NorvikSpdifPassThrough) == 12, "spdif pass-through");

enum NorvikPinKind : uint8_t
{
    NORVIK_PIN_ANALOG = 0,
    NORVIK_PIN_SPDIF = 1,
    NORVIK_PIN_SOFTWARE = 2,
    NORVIK_PIN_SOFTWARE_SPDIF = 3,
    NORVIK_PIN_VIRTUAL = 5,
};

enum NorvikPinSelector : uint32_t
{
    NORVIK_PINS_MIXER_OUTPUTS = 0,
    NORVIK_PINS_HARDWARE_INPUTS = 1,
    NORVIK_PINS_SOFTWARE_OUTPUTS = 2,
};

struct NorvikPin
{
    uint8_t kind;
    uint8_t channel;
    uint8_t unused[2];
};
static_assert(sizeof(NorvikPin) == 4, "pin descriptor");

struct NorvikLevelItem
{
    NorvikPin pin;
    int16_t level; // 0.01 dB; 0 full scale, meter floor -6000
    uint8_t unused[2];
};
static_assert(sizeof(NorvikLevelItem) == 8, "level item");

struct NorvikVolumeItem
{
    NorvikPin pin;
    uint8_t unused;
    uint8_t flags; // bit 0: mute
    int16_t volume;

    bool IsMuted() const { return (flags & 1u) != 0; }
    void SetMuted(bool muted) { flags = WithBit0(flags, muted); }
};
static_assert(sizeof(NorvikVolumeItem) == 8, "volume item");
static_assert(offsetof(NorvikVolumeItem, flags) == 5, "volume item");

struct NorvikWeightItem
{
    NorvikPin output;
    NorvikPin input;
    int16_t weight;
    uint8_t flags; // bit 0: connected
    uint8_t unused;

    bool IsConnected() const { return (flags & 1u) != 0; }
    void SetConnected(bool connected) { flags = WithBit0(flags, connected); }
};
static_assert(sizeof(NorvikWeightItem) == 12, "weight item");
static_assert(offsetof(NorvikWeightItem, weight) == 8, "weight item");

struct NorvikWdmPinConfig
{
    uint32_t direction; // the service uses 2
    uint32_t endpointIndex;
    int32_t levels[16]; // 16.16 fixed-point dB
    uint32_t switches[16];
};
static_assert(sizeof(NorvikWdmPinConfig) == 136, "wdm pin config");

struct NorvikPluginPair
{
    uint32_t channel;
    uint32_t value;
};

struct NorvikPluginRecord
{
    uint32_t selector; // 0 channel count, 1 maximum delay, 2 delay, 3 amplification
    uint32_t count;
    NorvikPluginPair pairs[64];
};
static_assert(sizeof(NorvikPluginRecord) == 520, "plug-in record");

constexpr uint32_t NORVIK_PLUGIN_CHANNEL_COUNT = 0;
constexpr uint32_t NORVIK_PLUGIN_MAX_DELAY = 1;
constexpr uint32_t NORVIK_PLUGIN_DELAY = 2;
constexpr uint32_t NORVIK_PLUGIN_AMPLIFICATION = 3;

struct NorvikEndpointSelection
{
    uint32_t unit; // 0 or 2
    uint32_t value;
};
static_assert(sizeof(NorvikEndpointSelection) == 8, "endpoint selection");

#pragma pack(pop)
