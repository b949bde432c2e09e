// What the page tree holds for each connected unit: its two mixer windows, its device page and, when the
// unit has the effect, its effect page. The tree rebuild makes them all and destroys them all.
#pragma once

#include "cpl/FormDevice.h"
#include "cpl/FormSelection.h"
#include "cpl/mixer/FormMixer.h"
#include "cpl/pages/FormPlugin.h"
#include "driverapi/NorvikClient.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class DevicePages
{
  public:
    // For every unit of `client`'s device list, in list order: the hardware inputs mixer and the software
    // outputs mixer as hidden pop-ups owned by `mainWindow`, then the pages as hidden children of
    // `paneParent`, entered in `tree` under `devicesPage` with `image`. A unit whose windows cannot be
    // made is left out.
    void Build(NorvikClient& client, HWND mainWindow, HWND paneParent, FormSelection& tree,
               FormBase* devicesPage, int image);
    // Takes the pages out of `tree` and destroys everything. A page that is `current` is forgotten (set to
    // null), not hidden: its window goes with it.
    void Clear(FormSelection& tree, FormBase*& current);

    // The device page of the unit with these keys, or null.
    FormDevice* Find(uint32_t key1, uint32_t key2) const;
    // The other mixer of the unit whose mixer window is `mixer`, or null.
    FormMixer* OtherMixer(HWND mixer) const;

  private:
    // Key 2 is the high half, so the map orders units as the 64-bit key does.
    static uint64_t KeyPair(uint32_t key1, uint32_t key2) { return (uint64_t{key2} << 32) | key1; }

    // Two per unit, in Build's order, so a unit's mixers are the pair at 2i and 2i + 1.
    std::vector<UniqueDialog<FormMixer>> mixers_;
    std::vector<UniqueDialog<FormDevice>> devicePages_;
    std::vector<UniqueDialog<FormPlugin>> pluginPages_;
    std::map<uint64_t, FormDevice*> byKeys_;
};
