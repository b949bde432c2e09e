#pragma once
#include <windows.h>

// Registers sourceName in logName so the event viewer finds the message table in messageFile (the program
// itself). Returns 0 or the first error.
[[nodiscard]] DWORD AddEventSource(const wchar_t* logName, const wchar_t* sourceName,
                                   const wchar_t* messageFile);

// Deletes the source's key. Returns 0 when the log's key could be opened (a missing source is no error).
DWORD RemoveEventSource(const wchar_t* logName, const wchar_t* sourceName);
