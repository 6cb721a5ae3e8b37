#pragma once
// WoW64 redirection switches for the driver procedure's tests, which record each call: in a 32-bit
// test program on 64-bit Windows acting as 64-bit Windows they also turn the real redirection off
// and on; everywhere else they only record, as a 64-bit process is never redirected. While the
// recorder lives, anything that must not happen with redirection off (a library load, a process
// start, a call to the host) is kept as a fault, in every build.
#include <string>
#include <vector>

#include "ethdrv/DriverInstaller.h"

class RedirectionRecorder
{
public:
    RedirectionRecorder();
    ~RedirectionRecorder();
    RedirectionRecorder(const RedirectionRecorder&) = delete;
    RedirectionRecorder& operator=(const RedirectionRecorder&) = delete;

    // The switches, for DriverInstallSystem::redirectionSwitches.
    static RedirectionSwitches Switches();

    int offCalls = 0;
    int restoreCalls = 0;
    std::vector<std::string> faults;  // what happened while the mark was set
};
