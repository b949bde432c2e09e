// The pages' driver requests failed at each place they are sent (a failure status, DEVICE_REMOVED), and
// malformed records where a page reads one: the box each page owes, or the disabled, kept or empty controls,
// never a crash. Prints the coverage. The frame's own requests and the Sample Rate page's are in
// FrameFaultMatrixTest.cpp.
#include "tests/cpl/PageFaultMatrix.h"

#include <cstdio>

namespace
{
const PageFaultMatrix::Place kPlaces[] = {
    {"buffer settings: refresh", NORVIK_IOCTL_GET_BUFFER_SIZES, &PageFaultMatrix::BuffersRefresh},
    {"buffer settings: apply, read", NORVIK_IOCTL_GET_BUFFER_SIZES, &PageFaultMatrix::BuffersApplyRead},
    {"buffer settings: apply, request", NORVIK_IOCTL_SEND_MESSAGE, &PageFaultMatrix::BuffersApplySend},
    {"devices: refresh", NORVIK_IOCTL_GET_STREAMING_STATUS, &PageFaultMatrix::DevicesRefresh},
    {"devices: mode", NORVIK_IOCTL_SEND_MESSAGE, &PageFaultMatrix::DevicesMode},
    {"devices: select for streaming", NORVIK_IOCTL_SEND_MESSAGE, &PageFaultMatrix::DevicesSelect},
    {"input channels: list", NORVIK_IOCTL_GET_IN_CHANNEL_LIST, &PageFaultMatrix::InChannelList},
    {"output channels: list", NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, &PageFaultMatrix::OutChannelList},
    {"channels: information", NORVIK_IOCTL_GET_CHANNEL_INFO, &PageFaultMatrix::ChannelInfo},
    {"status info: counters", NORVIK_IOCTL_GET_ERROR_COUNTERS, &PageFaultMatrix::ErrorCounters},
    {"driver info", NORVIK_IOCTL_GET_DRIVER_INFO, &PageFaultMatrix::DriverInfo},
    {"device: S/PDIF input", NORVIK_IOCTL_GET_SPDIF_IN_STATUS, &PageFaultMatrix::SpdifInRead},
    {"device: read pass-through", NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, &PageFaultMatrix::PassThroughRead},
    {"device: read volume bypass", NORVIK_IOCTL_GET_VOLUME_BYPASS, &PageFaultMatrix::VolumeBypassRead},
    {"device: read mute bypass", NORVIK_IOCTL_GET_MUTE_BYPASS, &PageFaultMatrix::MuteBypassRead},
    {"device: read policy", NORVIK_IOCTL_GET_POLICY, &PageFaultMatrix::PolicyRead},
    {"device: set pass-through", NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, &PageFaultMatrix::PassThroughSet},
    {"device: set volume bypass", NORVIK_IOCTL_SET_VOLUME_BYPASS, &PageFaultMatrix::VolumeBypassSet},
    {"device: set mute bypass", NORVIK_IOCTL_SET_MUTE_BYPASS, &PageFaultMatrix::MuteBypassSet},
    {"device: forbid rate change", NORVIK_IOCTL_SEND_MESSAGE, &PageFaultMatrix::PolicySet},
    {"effect: channel pairs", NORVIK_IOCTL_QUERY_PLUGIN, &PageFaultMatrix::EffectChannels},
    {"effect: set delay", NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, &PageFaultMatrix::EffectSet},
    {"mixer: pins", NORVIK_IOCTL_GET_MIXER_PINS, &PageFaultMatrix::MixerPins},
    {"mixer: output levels", NORVIK_IOCTL_GET_OUTPUT_LEVELS, &PageFaultMatrix::OutputLevels},
    {"mixer: input levels", NORVIK_IOCTL_GET_INPUT_LEVELS, &PageFaultMatrix::InputLevels},
    {"mixer: volumes", NORVIK_IOCTL_GET_PIN_VOLUMES, &PageFaultMatrix::Volumes},
    {"mixer: weights", NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, &PageFaultMatrix::Weights},
    {"mixer: set volume", NORVIK_IOCTL_SET_PIN_VOLUMES, &PageFaultMatrix::VolumeSet},
    {"mixer: set weight", NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, &PageFaultMatrix::WeightSet},
};

// What these pages send (the frame's connection requests and the Sample Rate page's are counted with the
// frame).
const uint32_t kPagesSend[] = {
    NORVIK_IOCTL_GET_BUFFER_SIZES,       NORVIK_IOCTL_SEND_MESSAGE,
    NORVIK_IOCTL_GET_STREAMING_STATUS,   NORVIK_IOCTL_GET_IN_CHANNEL_LIST,
    NORVIK_IOCTL_GET_OUT_CHANNEL_LIST,   NORVIK_IOCTL_GET_CHANNEL_INFO,
    NORVIK_IOCTL_GET_ERROR_COUNTERS,     NORVIK_IOCTL_GET_DRIVER_INFO,
    NORVIK_IOCTL_GET_SPDIF_IN_STATUS,    NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH,
    NORVIK_IOCTL_GET_VOLUME_BYPASS,      NORVIK_IOCTL_GET_MUTE_BYPASS,
    NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, NORVIK_IOCTL_SET_VOLUME_BYPASS,
    NORVIK_IOCTL_SET_MUTE_BYPASS,        NORVIK_IOCTL_GET_POLICY,
    NORVIK_IOCTL_QUERY_PLUGIN,           NORVIK_IOCTL_SET_PLUGIN_PARAMETERS,
    NORVIK_IOCTL_GET_MIXER_PINS,         NORVIK_IOCTL_GET_OUTPUT_LEVELS,
    NORVIK_IOCTL_GET_INPUT_LEVELS,       NORVIK_IOCTL_GET_PIN_VOLUMES,
    NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, NORVIK_IOCTL_SET_PIN_VOLUMES,
    NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
};
} // namespace

TEST_F(PageFaultMatrix, EveryPlaceReactsAsSpecified)
{
    // DEVICE_REMOVED closes a unit's handle for good; the next list read replaces it, as after a removal.
    bool changed = false;
    const auto rereadLists = [&]
    {
        (void)client_.UpdateDeviceList(&changed);
        (void)mainClient.UpdateDeviceList(&changed);
    };
    RunFaultMatrix("page", *this, model_, kPlaces, kPagesSend, rereadLists);
}

TEST_F(PageFaultMatrix, MalformedRecordsStayInsideTheirBounds)
{
    // Classes outside the lists keep the selection; the page stays usable.
    FormBufferSettings buffers(client_);
    Open(buffers, 300, 200);
    NorvikBufferSizes sizes = {};
    sizes.streamingClass = 0xFFFFFFFF;
    sizes.asioClass = 77;
    Inject(NORVIK_IOCTL_GET_BUFFER_SIZES, 0, Bytes(sizes));
    buffers.Refresh();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(buffers.Window(), IDC_BUFFER_APPLY)));

    // A mode word outside 0 and 1 leaves the radio group as it was.
    FormDevices devices(client_);
    Open(devices, 400, 300);
    NorvikStreamingStatus status = {};
    status.mode = 2;
    Inject(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Bytes(status));
    devices.Refresh();
    EXPECT_EQ(0u, devices.Mode());

    // A channel name without its terminator is cut at the record's end; a count past the record is bounded.
    NorvikChannelInfo info = {};
    info.key1 = client_.DeviceAt(0)->Key1();
    info.key2 = client_.DeviceAt(0)->Key2();
    std::fill(std::begin(info.name), std::end(info.name), L'N');
    FormInChannels channels(client_);
    Open(channels, 420, 300);
    Inject(NORVIK_IOCTL_GET_CHANNEL_INFO, 0, Bytes(info));
    channels.Refresh();
    HWND list = GetDlgItem(channels.Window(), IDC_CHANNEL_LIST);
    ASSERT_GT(ListView_GetItemCount(list), 0);
    EXPECT_GE(42u, ListText(list, 0, 1).size());
    EXPECT_EQ(L'N', ListText(list, 0, 1)[0]);

    NorvikChannelList many = {};
    many.count = 0xFFFFFFFF;
    Inject(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, 0, Bytes(many));
    channels.Refresh();
    EXPECT_EQ(0, ListView_GetItemCount(list)) << "identifiers of no unit are left out";
}
