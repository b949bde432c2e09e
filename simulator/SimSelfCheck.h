// `corvexsim.exe selfcheck`: serves a fresh model on a private pipe and drives it with the programs' own
// driver classes through the pipe port, printing one line per check. Returns the process exit code.
#pragma once

int RunSelfCheck();
