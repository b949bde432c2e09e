#pragma once

// Prints wide text to standard output: straight to the console window when there is one, as UTF-8 when the
// output is redirected (a file or a pipe). %s is a wide string, %hs a narrow one.
void ConsolePrint(const wchar_t* format, ...);
void ConsoleWrite(const wchar_t* text);
