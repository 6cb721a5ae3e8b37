#pragma once
// Whether this thread is inside a block that turned WoW64 file-system redirection off.
//
// While a 32-bit process on 64-bit Windows has redirection off, "system32" is the native 64-bit
// folder for every path the thread opens, the loader's included: Microsoft documents that turning it
// off "will cause DLL loading to fail" (Wow64DisableWow64FsRedirection), and anything that loads a
// library behind the scenes (a process start, a shell or dialog call, a window that calls back)
// fails with it. The block is marked whether or not the process is really redirected, so that a
// 64-bit build, which is never redirected, and Wine, whose loader finds its builtin libraries from
// any folder, still see a load that Windows would refuse.
#include <windows.h>

bool RedirectionOffOnThisThread();
// Set and cleared by the block that turns redirection off.
void MarkRedirectionOff(bool off);

// What must not happen while the mark is set calls this with its name ("LoadLibrary C:\\x.dll"),
// and fails itself the way Windows would make it fail. The handler is for tests, which count each
// one as a fault; the program installs none.
typedef void (*RedirectionViolationHandler)(const char* what);
void SetRedirectionViolationHandler(RedirectionViolationHandler handler);
// True, after telling the handler, when the mark is set.
bool ViolatesRedirectionOff(const char* what);
