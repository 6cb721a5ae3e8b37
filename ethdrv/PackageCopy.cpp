#include "ethdrv/PackageCopy.h"

#include "platform/InstallPaths.h"
#include "platform/ResourceFile.h"

bool PackageCopy::Open(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    // An existing folder (or link, or file) of that name makes this fail; the open decides.
    InstallerFolderSecurity security;
    if (security.Ready())
        CreateDirectoryW(MakeLongPathW(path).c_str(), security.Attributes());
    return m_folder.Open(path);
}

bool PackageCopy::Write(int resource, const char* type, const char* name)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    return FindResourceBytes(resource, type, bytes, size) && m_folder.ReplaceFile(name, bytes, size);
}
