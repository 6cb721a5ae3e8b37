#pragma once
// What the driver installation needs of the window that runs it, and nothing more: its install
// folder and flag, a progress line, a message box, a wait on another process, and the way out.
#include <windows.h>

#include <string>
#include <vector>

struct InstallBoxButton
{
    std::string text;
    int key;
};

class InstallHost
{
public:
    // The existing installation's folder as stored (expected to end with a backslash).
    virtual const std::string& InstallDirectory() const = 0;
    virtual void SetInstallDriversFlag(bool install) = 0;
    // One progress line, shown at once; taken as it is (no formatting).
    virtual void AddLine(const std::string& line) = 0;
    // A toolkit message box over the window, run modally: type 1 (one "Ok") or type 6 (the two
    // user buttons given). Its result: 4 and 5 for the user buttons, 0 for any other way of closing.
    virtual int ShowBox(const std::string& text, int type, const std::vector<InstallBoxButton>& buttons = {}) = 0;
    // The please-wait dialog with `message`, until `process` has ended, however the dialog closes;
    // the window's messages keep flowing.
    virtual void WaitForProcess(const std::string& message, HANDLE process) = 0;
    // Writes the install log and closes the window.
    virtual void WriteLogAndClose() = 0;

protected:
    ~InstallHost() = default;
};
