#pragma once
// Text for the clipboard, as the installer's COPY button puts it there.
#include <windows.h>

#include <string>

typedef LPVOID(WINAPI* GlobalLockFunction)(HGLOBAL);

// Puts `text` on the clipboard as CF_TEXT, owned by `owner`. The text is made ready before the
// clipboard is opened: when it cannot be, what the clipboard holds stays as it is. False when the
// text did not get there. `lockMemory` is GlobalLock; tests give one that fails.
bool CopyTextToClipboard(HWND owner, const std::string& text, GlobalLockFunction lockMemory = ::GlobalLock);
