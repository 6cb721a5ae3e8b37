#pragma once
// The on-screen error report: a toolkit message box titled "ERROR" (in red) that names the area and
// number of an error and says in which folder the error files are kept.
#include <windows.h>

#include <string>

// The box's text. The area and the folder are shown as written: a "$" in either is no escape code.
std::string ErrorReportText(const std::string& area, long number, const std::string& programFolder);
// The folder of the running program, with its final backslash.
std::string ProgramFolder();
// Shows the report over `owner` until it is closed; then one pending report fewer. Answers 0.
LRESULT ShowErrorReportBox(HWND owner, const std::string& area, long number);
