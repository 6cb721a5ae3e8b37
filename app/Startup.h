#pragma once
// The installer's entry: version query, system checks, main window and message loop.
#include <windows.h>

class NoxSetupWnd;

// Exactly "/version" (case-sensitive, nothing before or after) asks for the version line.
bool IsVersionQuery(const char* commandLine);

// Runs the whole program for one command line on the process's main window object and returns the
// process exit code.
int RunInstaller(NoxSetupWnd& mainWnd, HINSTANCE instance, const char* commandLine, int showCommand);
