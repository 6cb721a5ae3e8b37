#include "RedirectionRecorder.h"

#include "platform/RedirectionMark.h"
#include "platform/SystemInfo.h"

namespace {

RedirectionRecorder* g_recorder = nullptr;

// Only a 32-bit process under WoW64 that plays 64-bit Windows is really redirected.
bool ForwardToWindows() { return sizeof(void*) == 4 && g_isWow64 && QueryWow64Process(); }

BOOL WINAPI RecordOff(PVOID* saved)
{
    if (g_recorder)
        ++g_recorder->offCalls;
    *saved = nullptr;
    return ForwardToWindows() ? Wow64DisableWow64FsRedirection(saved) : TRUE;
}

BOOL WINAPI RecordRestore(PVOID saved)
{
    if (g_recorder)
        ++g_recorder->restoreCalls;
    return ForwardToWindows() ? Wow64RevertWow64FsRedirection(saved) : TRUE;
}

void RecordFault(const char* what)
{
    if (g_recorder)
        g_recorder->faults.push_back(what);
}

}  // namespace

RedirectionRecorder::RedirectionRecorder()
{
    g_recorder = this;
    SetRedirectionViolationHandler(RecordFault);
}

RedirectionRecorder::~RedirectionRecorder()
{
    SetRedirectionViolationHandler(nullptr);
    g_recorder = nullptr;
}

RedirectionSwitches RedirectionRecorder::Switches() { return RedirectionSwitches{RecordOff, RecordRestore}; }
