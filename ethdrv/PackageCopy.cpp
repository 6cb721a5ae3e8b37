#include "ethdrv/PackageCopy.h"

#include "platform/InstallPaths.h"
#include "platform/ResourceFile.h"

bool PackageCopy::Open(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return false;
    // The install folder first, checked to be the folder its path names; the package folder is made
    // and opened relative to its handle, and checked in turn.
    NRFolderHandle installFolder;
    if (!installFolder.Open(path.substr(0, slash + 1)))
        return false;
    InstallerFolderSecurity security;
    return security.Ready() && m_folder.OpenInside(installFolder, path.substr(slash + 1), path, security.Attributes());
}

bool PackageCopy::Write(int resource, const char* type, const char* name)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    return FindResourceBytes(resource, type, bytes, size) && m_folder.ReplaceFile(name, bytes, size);
}
