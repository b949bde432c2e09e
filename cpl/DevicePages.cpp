#include "cpl/DevicePages.h"

#include <strsafe.h>

void DevicePages::Build(NorvikClient& client, HWND mainWindow, HWND paneParent, FormSelection& tree,
                        FormBase* devicesPage, int image)
{
    for (size_t i = 0; i < client.DeviceCount(); ++i)
    {
        const NorvikDevice* device = client.DeviceAt(i);
        if (device == nullptr)
            continue;
        const uint32_t key1 = device->Key1();
        const uint32_t key2 = device->Key2();
        auto hardwareInputs = MakeDialog<FormMixer>(key1, key2, true);
        auto softwareOutputs = MakeDialog<FormMixer>(key1, key2, false);
        if (hardwareInputs->Create(mainWindow) == nullptr || softwareOutputs->Create(mainWindow) == nullptr)
            continue;
        auto page = MakeDialog<FormDevice>(client, key1, key2, *hardwareInputs, *softwareOutputs);
        if (page->Create(paneParent) == nullptr)
            continue;
        mixers_.push_back(std::move(hardwareInputs));
        mixers_.push_back(std::move(softwareOutputs));
        byKeys_[KeyPair(key1, key2)] = page.get();
        tree.AddPage(L"Corvex", page.get(), devicesPage, image);
        devicePages_.push_back(std::move(page));

        if (device->HasPlugin())
        {
            auto plugin = MakeDialog<FormPlugin>(client, key1, key2);
            if (plugin->Create(paneParent) != nullptr)
            {
                wchar_t text[32];
                (void)StringCchPrintfW(text, ARRAYSIZE(text), L"Plugin%u", static_cast<unsigned>(i));
                tree.AddPage(text, plugin.get(), devicesPage, image);
                pluginPages_.push_back(std::move(plugin));
            }
        }
    }
}

void DevicePages::Clear(FormSelection& tree, FormBase*& current)
{
    const auto removeAll = [&tree, &current](auto& pages)
    {
        for (auto& page : pages)
        {
            // Taking an item out moves the tree's selection, and with it `current`, perhaps to a later page
            // of this set: each page is checked as its turn comes.
            if (current == page.get())
                current = nullptr;
            tree.RemovePage(page.get());
            page.reset();
        }
        pages.clear();
    };
    removeAll(devicePages_);
    removeAll(pluginPages_);
    byKeys_.clear();
    mixers_.clear();
}

FormDevice* DevicePages::Find(uint32_t key1, uint32_t key2) const
{
    const auto found = byKeys_.find(KeyPair(key1, key2));
    return found != byKeys_.end() ? found->second : nullptr;
}

FormMixer* DevicePages::OtherMixer(HWND mixer) const
{
    for (size_t i = 0; i < mixers_.size(); ++i)
        if (mixer != nullptr && mixers_[i]->Hwnd() == mixer)
            return (i ^ 1) < mixers_.size() ? mixers_[i ^ 1].get() : nullptr;
    return nullptr;
}
