// Figures of the mixer windows against corvexsim, printed as the control panel benchmark prints its own:
//   <name> <key>=<value> ...
#pragma once

#include "tests/e2e/e2e_cpl_session.h"

#include <string>

// With the control panel of `session` running: the mixer button to the full window, and level polls per
// second per window with both mixers of both units open. Then the same four mixers built in this process
// over the same pipe for 10 s: CPU time beside a bare request loop at the same rate, and heap allocations per
// level poll.
void RunMixerBench(CplEndToEnd& session, const std::wstring& pipeName);
