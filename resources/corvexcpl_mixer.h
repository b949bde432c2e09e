// Dialog and control identifiers of the mixer window and its strips, cells and weight control. Shared by the
// resource script and the mixer's code.
#pragma once

#define IDD_MIXER 251
