#include "platform/RedirectionMark.h"

namespace {

// The one thread that has redirection off (the driver procedure runs on the window's thread), by
// its id: 0 is no thread's. Kept without thread-local storage, whose first use takes handles of the
// threads library that the handle-hygiene tests would count.
volatile LONG g_markedThread = 0;
RedirectionViolationHandler g_violationHandler = nullptr;

}  // namespace

bool RedirectionOffOnThisThread()
{
    return static_cast<DWORD>(InterlockedCompareExchange(&g_markedThread, 0, 0)) == GetCurrentThreadId();
}

void MarkRedirectionOff(bool off)
{
    InterlockedExchange(&g_markedThread, off ? static_cast<LONG>(GetCurrentThreadId()) : 0);
}

void SetRedirectionViolationHandler(RedirectionViolationHandler handler) { g_violationHandler = handler; }

bool ViolatesRedirectionOff(const char* what)
{
    if (!RedirectionOffOnThisThread())
        return false;
    if (g_violationHandler)
        g_violationHandler(what);
    return true;
}
