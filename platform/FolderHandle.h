#pragma once
// A folder held open by its handle, reached without following a link at its last step, and files
// replaced inside it through that handle. Nothing is looked up by its path again, so a folder
// swapped for a junction after the open changes nothing; and while it is held, without delete
// sharing, Windows lets nobody rename or delete the folder itself.
#include <windows.h>

#include <string>

#include "platform/Handle.h"

class NRFolderHandle
{
public:
    // Opens the folder at `path` (a full "X:\" path in canonical form). False when nothing is there,
    // when it is a link (junction, symbolic link, mount point), when it is no folder, or when the
    // folder Windows opened is not the one the path names (a link earlier in the path): the name
    // Windows resolved for the handle and its volume must be the path's.
    bool Open(const std::string& path);
    // Opens the folder `name` directly inside `parent`, making it with `security` when it is
    // missing, relative to the parent's handle; `path` is its full canonical path, which the open
    // folder must have, as above.
    bool OpenInside(const NRFolderHandle& parent, const std::string& name, const std::string& path,
                    SECURITY_ATTRIBUTES* security);
    bool IsOpen() const { return static_cast<bool>(m_folder); }

    // Makes `name`, directly inside, a file holding `bytes`, whole or not at all: written first to a
    // new file "<name>.NoxSetup-new" beside it (whatever has that name is removed first, never
    // trusted), flushed and its size checked, then renamed over the entry of that name in one step,
    // all through handles opened relative to the folder. A link of that name is replaced as a link,
    // a read-only file as well; a folder of that name is left alone and the call fails. False when
    // anything fails, and the entry as it was.
    bool ReplaceFile(const std::string& name, const void* bytes, DWORD size);

private:
    NRHandle m_folder;
};
