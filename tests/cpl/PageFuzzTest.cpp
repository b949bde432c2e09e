// Random malformed records into every page and both mixer windows: no reply, short ones, the record's size
// and beyond, counts and lengths at their edges, strings without terminator. Nothing may crash or read past a
// record, and good records afterwards bring every page back. Prints how many records went in.
#include "tests/cpl/PageFaultMatrix.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

namespace
{
// Everything the pages and mixers read; each answered with the same random bytes for one round.
const uint32_t kReads[] = {
    NORVIK_IOCTL_GET_BUFFER_SIZES,     NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_IOCTL_GET_IN_CHANNEL_LIST,
    NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, NORVIK_IOCTL_GET_CHANNEL_INFO,     NORVIK_IOCTL_GET_ERROR_COUNTERS,
    NORVIK_IOCTL_GET_DRIVER_INFO,      NORVIK_IOCTL_GET_SPDIF_IN_STATUS,  NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH,
    NORVIK_IOCTL_GET_VOLUME_BYPASS,    NORVIK_IOCTL_GET_MUTE_BYPASS,      NORVIK_IOCTL_GET_POLICY,
    NORVIK_IOCTL_QUERY_PLUGIN,         NORVIK_IOCTL_GET_MIXER_PINS,       NORVIK_IOCTL_GET_OUTPUT_LEVELS,
    NORVIK_IOCTL_GET_INPUT_LEVELS,     NORVIK_IOCTL_GET_PIN_VOLUMES,      NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS,
};

// Bytes that look like a record gone wrong: every byte set (counts at their top, no terminator anywhere),
// zeros, small words (plausible counts and indexes), or noise; of a length from none to past any record.
std::vector<uint8_t> RandomRecord(std::mt19937& random)
{
    const size_t lengths[] = {0, 1, 3, 4, 7, 8, 12, 64, 100, 516, 2048};
    size_t length = lengths[random() % std::size(lengths)];
    if (random() % 2 != 0)
        length = random() % 1200;
    std::vector<uint8_t> bytes(length);
    const uint32_t kind = random() % 4;
    for (size_t i = 0; i < length; ++i)
    {
        if (kind == 0)
            bytes[i] = 0xFF;
        else if (kind == 2)
            bytes[i] = i % 4 == 0 ? static_cast<uint8_t>(random() % 40) : 0;
        else if (kind == 3)
            bytes[i] = static_cast<uint8_t>(random());
    }
    return bytes;
}

class PageFuzz : public PageFaultMatrix
{
  protected:
    // Each page and mixer's whole read: what a refresh, a notification or the level poll would do.
    std::vector<std::function<void()>> OpenEverything()
    {
        auto refresh = [](FormBase& page) { return [&page] { page.Refresh(); }; };
        std::vector<std::function<void()>> reads;
        Open(pages_->buffers, 300, 200);
        Open(pages_->devices, 400, 300);
        Open(pages_->inChannels, 420, 300);
        Open(pages_->outChannels, 420, 300);
        Open(pages_->statusInfo, 400, 300);
        Open(pages_->driverInfo, 400, 300);
        for (FormBase* page :
             std::initializer_list<FormBase*>{&pages_->buffers, &pages_->devices, &pages_->inChannels,
                                              &pages_->outChannels, &pages_->statusInfo, &pages_->driverInfo})
            reads.push_back(refresh(*page));
        device_ = OpenDevicePage();
        effect_ = OpenEffectPage();
        reads.push_back(refresh(*device_));
        reads.push_back(refresh(*effect_));
        for (bool hardwareInputs : {true, false})
        {
            mixers_.push_back(ShowMixer(hardwareInputs));
            FormMixer* mixer = mixers_.back().get();
            reads.push_back(
                [mixer]
                {
                    mixer->RebuildIfVisible();
                    mixer->ReloadVolumes();
                    mixer->ReloadWeights();
                    (void)SendMessageW(mixer->Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
                });
        }
        return reads;
    }

    // Gone before the fixture closes the clients and the host, as the pages of a test body would be.
    void TearDown() override
    {
        mixers_.clear();
        device_.reset();
        effect_.reset();
        pages_.reset();
        PageFaultMatrix::TearDown();
    }

    struct Pages
    {
        explicit Pages(NorvikClient& client)
            : buffers(client), devices(client), inChannels(client), outChannels(client), statusInfo(client),
              driverInfo(client)
        {
        }
        FormBufferSettings buffers;
        FormDevices devices;
        FormInChannels inChannels;
        FormOutChannels outChannels;
        FormStatusInfo statusInfo;
        FormDrvInfo driverInfo;
    };
    std::unique_ptr<Pages> pages_ = std::make_unique<Pages>(client_);
    std::unique_ptr<FormDevice> device_;
    std::unique_ptr<FormPlugin> effect_;
    std::vector<UniqueDialog<FormMixer>> mixers_;
};
} // namespace

TEST_F(PageFuzz, RandomRecordsIntoEveryPageAndMixer)
{
    const std::vector<std::function<void()>> reads = OpenEverything();
    std::mt19937 random(20261208);
    // A few rounds in CI (each rebuilds both mixers); CORVEX_PAGE_FUZZ_ROUNDS asks for more.
    const char* asked = std::getenv("CORVEX_PAGE_FUZZ_ROUNDS");
    const int rounds = asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 10;
    size_t records = 0;
    for (int round = 0; round < rounds && !HasFailure(); ++round)
    {
        for (uint32_t code : kReads)
        {
            model_.InjectFault(code, NORVIK_STATUS_SUCCESS, -1, RandomRecord(random));
            ++records;
        }
        for (const std::function<void()>& read : reads)
            read();
        model_.ClearFaults();
        (void)TakeBoxes();
    }

    // Good records again: every page and mixer back to the model's state.
    for (const std::function<void()>& read : reads)
        read();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pages_->buffers.Window(), IDC_BUFFER_APPLY)));
    EXPECT_GT(ListView_GetItemCount(GetDlgItem(pages_->inChannels.Window(), IDC_CHANNEL_LIST)), 0);
    EXPECT_GT(SendDlgItemMessageW(effect_->Window(), IDC_CHANNEL_PAIR_LIST, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(9u, mixers_[0]->InputStripCountForTesting());
    EXPECT_EQ(13u, mixers_[0]->OutputStripCountForTesting());
    std::printf("page fuzz: %zu malformed records into %zu pages and mixers, %d rounds\n", records,
                reads.size(), rounds);
}
