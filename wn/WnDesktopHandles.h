#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

using WnWindowStation = WnUniqueNullHandle<HWINSTA, CloseWindowStation>;
using WnDesktop = WnUniqueNullHandle<HDESK, CloseDesktop>;
