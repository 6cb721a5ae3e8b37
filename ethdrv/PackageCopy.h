#pragma once
// The copy of the v2 package in "<install directory>EthDrv\", which the maker's tools may read.
// Nothing there is run or loaded, and a standard user may change the install folder, so the folder
// is reached without following a link and held by its handle, and only the package's own names are
// replaced inside it: nothing else there is listed, emptied or deleted.
#include <string>

#include "platform/FolderHandle.h"

class PackageCopy
{
public:
    // Makes the folder (a full canonical path with a final backslash) when it is missing, with the
    // installer folder's access list, and opens it. False when it or the folder above it is a link
    // or no folder, when either is not the folder its path names, or when it cannot be made.
    bool Open(const std::string& folder);
    // Replaces the file `name` in the folder with resource `resource` of `type`.
    bool Write(int resource, const char* type, const char* name);

private:
    NRFolderHandle m_folder;
};
