// Console text for the programs' command lines: straight to the console window when there is one, as UTF-8
// when the stream is redirected (a file or a pipe). Every call writes at once; nothing is buffered, so a
// reader at the other end of a pipe sees each line as soon as it is written.
#pragma once

// Standard output. %s is a wide string, %hs a narrow one.
void ConsolePrint(const wchar_t* format, ...);
void ConsoleWrite(const wchar_t* text);
// Standard error.
void ConsoleWriteError(const wchar_t* text);
