#include "cpl/pages/FormInChannels.h"

NorvikStatus FormInChannels::GetChannelList(NorvikChannelList* list)
{
    return Client().GetInChannelList(list);
}
