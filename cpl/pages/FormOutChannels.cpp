#include "cpl/pages/FormOutChannels.h"

NorvikStatus FormOutChannels::GetChannelList(NorvikChannelList* list)
{
    return Client().GetOutChannelList(list);
}
