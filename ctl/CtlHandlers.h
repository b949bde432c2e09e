// The commands' handlers; the command table names them. Each checks its arguments before it connects, and
// returns the exit code.
#pragma once

#include "ctl/CtlContext.h"

// The driver and the service (DriverCommands.cpp).
int RunList(CtlContext& context, const CtlArgs& args);
int RunStatus(CtlContext& context, const CtlArgs& args);
int RunRate(CtlContext& context, const CtlArgs& args);
int RunBuffers(CtlContext& context, const CtlArgs& args);
int RunStreamDevice(CtlContext& context, const CtlArgs& args);
int RunPolicy(CtlContext& context, const CtlArgs& args);
// One unit's switches and effect (UnitCommands.cpp).
int RunSpdif(CtlContext& context, const CtlArgs& args);
int RunBypass(CtlContext& context, const CtlArgs& args);
int RunEffect(CtlContext& context, const CtlArgs& args);
int RunRestore(CtlContext& context, const CtlArgs& args);
// One unit's mixers (MixerCommands.cpp).
int RunMixer(CtlContext& context, const CtlArgs& args);
int RunVolume(CtlContext& context, const CtlArgs& args);
int RunWeight(CtlContext& context, const CtlArgs& args);
// Snapshots (SnapshotCommands.cpp).
int RunSave(CtlContext& context, const CtlArgs& args);
int RunLoad(CtlContext& context, const CtlArgs& args);
// Notifications until Ctrl+C (WatchCommand.cpp).
int RunWatch(CtlContext& context, const CtlArgs& args);
