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
    // Opens the folder at `path` (a full path). False when nothing is there, when it is a link
    // (junction, symbolic link, mount point) or when it is no folder.
    bool Open(const std::string& path);
    bool IsOpen() const { return static_cast<bool>(m_folder); }

    // Makes `name`, directly inside, a new file holding `bytes`: an entry of that name is removed
    // first, a link as a link and a read-only file as well, through a handle opened relative to
    // the folder; a folder of that name is left alone and the call fails. False when anything fails.
    bool ReplaceFile(const std::string& name, const void* bytes, DWORD size);

private:
    NRHandle m_folder;
};
