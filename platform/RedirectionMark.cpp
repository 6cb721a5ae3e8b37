#include "platform/RedirectionMark.h"

namespace {

thread_local bool t_redirectionOff = false;
RedirectionViolationHandler g_violationHandler = nullptr;

}  // namespace

bool RedirectionOffOnThisThread() { return t_redirectionOff; }

void MarkRedirectionOff(bool off) { t_redirectionOff = off; }

void SetRedirectionViolationHandler(RedirectionViolationHandler handler) { g_violationHandler = handler; }

bool ViolatesRedirectionOff(const char* what)
{
    if (!t_redirectionOff)
        return false;
    if (g_violationHandler)
        g_violationHandler(what);
    return true;
}
