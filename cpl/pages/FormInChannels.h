// The "ASIO IN Channels" page: the ASIO input channels of all units.
#pragma once

#include "cpl/pages/FormChannels.h"

class FormInChannels : public FormChannels
{
  public:
    explicit FormInChannels(NorvikClient& client) : FormChannels(client) {}

  protected:
    [[nodiscard]] NorvikStatus GetChannelList(NorvikChannelList* list) override;
};
