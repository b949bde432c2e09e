#pragma once
#include "service/ServiceBase.h"

#include <vector>

// The services this process runs.
std::vector<ServiceBase*>& ServiceList();

// Service mode hands the list to the control manager's dispatcher, which returns once every service has
// stopped; console mode runs each service's RunConsole on a thread of its own until Ctrl+C. False when the
// dispatcher or the console handler could not be set up. *consoleResult (when given) receives the first
// non-zero result of a console run, so that a refused start is not reported as success; 0 otherwise.
bool RunServices(bool console, DWORD* consoleResult = nullptr);

// Ctrl+C and Ctrl+Break stop every listed service; other events get the system's default handling.
BOOL WINAPI ConsoleControlHandler(DWORD controlType);
