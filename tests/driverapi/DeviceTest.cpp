// Device requests whose wrappers do more than pass the record through.
#include "ModelFixture.h"

#include "driverapi/NorvikDriver.h"

namespace
{
class DeviceTest : public ModelTest
{
  protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver_.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
        bool changed = false;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver_.UpdateDeviceList(&changed));
        ASSERT_EQ(1u, driver_.DeviceCount());
        device_ = driver_.DeviceAt(0);
    }

    NorvikDriver driver_;
    NorvikDevice* device_ = nullptr;
};
} // namespace

TEST_F(DeviceTest, MixerPinCountIsWholeDescriptorsReturned)
{
    static const struct
    {
        NorvikStatus status;
        uint32_t bytes;
        uint32_t expectedCount;
    } cases[] = {
        {NORVIK_STATUS_SUCCESS, 6, 1},    {NORVIK_STATUS_SUCCESS, 8, 2}, {NORVIK_STATUS_SUCCESS, 3, 0},
        {NORVIK_STATUS_SUCCESS, 0, 0},    {NORVIK_STATUS_FAILED, 8, 2}, // stored even on failure
        {NORVIK_STATUS_SUCCESS, 200, 26},                               // never more than asked for
    };
    for (const auto& c : cases)
    {
        model_.InjectFault(NORVIK_IOCTL_GET_MIXER_PINS, c.status, 1, std::vector<uint8_t>(c.bytes, 0x01));
        NorvikPin pins[26];
        uint32_t count = 26;
        EXPECT_EQ(c.status, device_->GetMixerPins(NORVIK_PINS_MIXER_OUTPUTS, pins, &count)) << c.bytes;
        EXPECT_EQ(c.expectedCount, count) << c.bytes;
    }
}

TEST_F(DeviceTest, SwitchReadsAreOffWhenTheRequestFails)
{
    // A failure that leaves the unit's handle working (DEVICE_REMOVED would close it).
    model_.InjectFault(NORVIK_IOCTL_GET_MUTE_BYPASS, NORVIK_STATUS_FAILED);
    bool on = true;
    EXPECT_EQ(NORVIK_STATUS_FAILED, device_->GetMuteBypass(&on));
    EXPECT_FALSE(on);

    model_.InjectFault(NORVIK_IOCTL_GET_VOLUME_BYPASS, NORVIK_STATUS_SUCCESS, 1, {0x80});
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, device_->GetVolumeBypass(&on));
    EXPECT_TRUE(on) << "any non-zero byte is on";
}

TEST_F(DeviceTest, EndpointTopologyCountBounded)
{
    NorvikEndpointTopologyBuffer topology{};
    topology.topology.count = 40;
    model_.InjectFault(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, NORVIK_STATUS_SUCCESS, 1, RecordBytes(topology));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, device_->GetEndpointTopology(&topology));
    EXPECT_EQ(NORVIK_MAX_TOPOLOGY_ENDPOINTS, topology.topology.count);
}

TEST_F(DeviceTest, HugeArrayCountsAreRefusedBeforeTheDriver)
{
    NorvikWeightItem item{};
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, device_->SetCrosspointWeights(&item, 0x20000000));
    NorvikPin pin{};
    uint32_t count = 0x40000001;
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, device_->GetMixerPins(0, &pin, &count));
}
