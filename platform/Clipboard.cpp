#include "platform/Clipboard.h"

#include <cstring>

bool CopyTextToClipboard(HWND owner, const std::string& text, GlobalLockFunction lockMemory)
{
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    void* bytes = lockMemory(memory);
    if (!bytes) {
        // An unfilled block would hand the clipboard whatever the memory held.
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(owner)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it took it; otherwise it is still ours.
    const bool placed = ::SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!placed)
        ::GlobalFree(memory);
    ::CloseClipboard();
    return placed;
}
