// The command table: every command's name, usage and handler. It drives --help and the usage errors.
#pragma once

#include "ctl/CtlContext.h"

#include <string>

struct CtlCommand
{
    const wchar_t* name;
    const wchar_t* arguments; // as the usage line shows them
    const wchar_t* summary;   // one line for the program's help
    const wchar_t* details;   // more lines for the command's help, or empty
    int (*run)(CtlContext& context, const CtlArgs& args);
};

// Null for an unknown name.
const CtlCommand* FindCommand(const std::wstring& name);
// "usage: corvexctl NAME ARGUMENTS".
std::wstring UsageLine(const CtlCommand& command);
// The program's help: usage, every command with its summary, the exit codes.
std::wstring ProgramHelp();
// One command's usage, summary and details.
std::wstring CommandHelp(const CtlCommand& command);
