#pragma once
// An installer build started as a user would start it, from a private copy whose Windows version
// can be chosen.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

class InstallerRun
{
public:
    static constexpr DWORD kTimeoutMs = 20000;

    // `buildFile`: which installer of the build tree; `windowsVersion`: as Wine names it, or null;
    // `prepareFolder`: what to put beside the installer's copy before it starts.
    InstallerRun(const char* buildFile, const char* windowsVersion, const std::string& arguments = "",
                 const std::function<void(const testing_support::TempDir&)>& prepareFolder = nullptr);

    testing_support::ChildProcess& Process() { return *m_child; }
    // The folder of the installer's copy, and the copy's file name.
    const testing_support::TempDir& Directory() const { return m_dir; }
    const std::string& CopyName() const { return m_copyName; }
    // The installer window once start-up has finished with it, or null.
    HWND WaitForMainWindow();
    // A message box the installer shows, or null.
    HWND WaitForMessageBox();
    // Closes the installer's first question (consent, or the end of a test pass) unanswered, which
    // ends the run; false when none showed.
    bool CloseAtFirstQuestion();
    // Exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit();

    static std::string CommandLine(const std::string& exe, const std::string& arguments);

private:
    // A blank in the folder's name, as in "C:\\Program Files": the installer's own command lines
    // must quote it.
    testing_support::TempDir m_dir{"nox setup "};
    std::string m_copyName;
    std::string m_exe;
    std::unique_ptr<testing_support::ScopedWindowsVersion> m_version;
    std::unique_ptr<testing_support::ChildProcess> m_child;
};

// Copies of a library that leaves a mark when it loads ("<name>.loaded" beside it), under the names
// of the system libraries the installer uses that are not known DLLs, put into `dir`.
void PlantMarkedLibraries(const testing_support::TempDir& dir);
// The marks those copies left in `dir`: the names of the ones that were loaded.
std::vector<std::string> LoadedPlantedLibraries(const testing_support::TempDir& dir);

// The maker's machine key names `directory` as the installation, or names none.
void SetInstallDirectory(const std::string* directory);
// The install logs in `dir`, read whole.
std::vector<std::string> Logs(const testing_support::TempDir& dir);
void RemoveLogs(const testing_support::TempDir& dir);
