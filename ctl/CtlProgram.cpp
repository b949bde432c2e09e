#include "ctl/CtlProgram.h"

#include "ctl/CtlCommand.h"

int RunCorvexCtl(const std::vector<std::wstring>& arguments, CtlConsole& console, HANDLE stopEvent)
{
    CtlContext context(console, stopEvent);
    bool help = false;
    CtlArgs words;
    for (const std::wstring& argument : arguments)
        if (argument == L"--json")
            context.Out().SetJson(true);
        else if (argument == L"--help" || argument == L"-h" || argument == L"-?" || argument == L"/?")
            help = true;
        else if (argument.compare(0, 2, L"--") == 0)
            return context.Out().Usage(L"Unknown option " + argument + L".", L"usage: corvexctl --help");
        else
            words.push_back(argument);
    if (words.empty() || (words[0] == L"help" && words.size() == 1))
    {
        if (help || !words.empty())
        {
            context.Out().Plain(ProgramHelp());
            return kExitDone;
        }
        return context.Out().Usage(L"No command given.", L"usage: corvexctl [--json] COMMAND [ARGUMENTS]; "
                                                         L"corvexctl --help lists the commands.");
    }
    const bool helpCommand = words[0] == L"help";
    const CtlCommand* command = FindCommand(helpCommand ? words[1] : words[0]);
    if (command == nullptr)
    {
        return context.Out().Usage(L"Unknown command " + (helpCommand ? words[1] : words[0]) + L".",
                                   L"usage: corvexctl --help lists the commands.");
    }
    if (help || helpCommand)
    {
        context.Out().Plain(CommandHelp(*command));
        return kExitDone;
    }
    context.SetCommand(command);
    words.erase(words.begin());
    return command->run(context, words);
}
