#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

using WnRegKey = WnUniqueNullHandle<HKEY, RegCloseKey>;
