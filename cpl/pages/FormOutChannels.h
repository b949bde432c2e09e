// The "ASIO OUT Channels" page: the ASIO output channels of all units.
#pragma once

#include "cpl/pages/FormChannels.h"

class FormOutChannels : public FormChannels
{
  public:
    explicit FormOutChannels(NorvikClient& client) : FormChannels(client) {}

  protected:
    [[nodiscard]] NorvikStatus GetChannelList(NorvikChannelList* list) override;
};
