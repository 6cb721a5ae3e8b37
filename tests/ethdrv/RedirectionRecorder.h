#pragma once
// WoW64 redirection switches for the driver procedure's tests, which record each call: in a 32-bit
// test program on 64-bit Windows acting as 64-bit Windows they also turn the real redirection off
// and on; everywhere else they only record, as a 64-bit process is never redirected. While the
// recorder lives, anything that must not happen with redirection off (a library load, a process
// start, a call to the host) is kept as a fault, in every build: a library the loader maps on this
// thread while the block is open is one too, even when a Windows function loads it inside itself.
//
// A 64-bit test program playing the 32-bit installer on 64-bit Windows also sees the Windows folder
// as that program would (WindowsFolderAsSeen): with redirection on, its "system32" is a stand-in for
// SysWOW64, with a drivers folder and sc.exe of its own; only inside a block is it the native one.
// So a read or write moved out of its block reaches the wrong folder there too.
#include <memory>
#include <string>
#include <vector>

#include "ethdrv/DriverInstaller.h"

namespace testing_support {
class TempDir;
}

class RedirectionRecorder
{
public:
    RedirectionRecorder();
    ~RedirectionRecorder();
    RedirectionRecorder(const RedirectionRecorder&) = delete;
    RedirectionRecorder& operator=(const RedirectionRecorder&) = delete;

    // The switches, for DriverInstallSystem::redirectionSwitches.
    static RedirectionSwitches Switches();
    // The Windows folder with a final backslash, for DriverInstallSystem::windowsFolder.
    static std::string WindowsFolderAsSeen();
    // Where "system32\\drivers\\" leads a 32-bit thread of the installer on 64-bit Windows while it
    // is redirected: SysWOW64's in the 32-bit program, the stand-in's in a 64-bit one.
    static std::string RedirectedDriverFolder();

    int offCalls = 0;
    int restoreCalls = 0;
    std::vector<std::string> faults;  // what happened while the mark was set

private:
    std::unique_ptr<testing_support::TempDir> m_wow64Windows;  // the stand-in, in a 64-bit program
    void* m_loadNotification = nullptr;
};
