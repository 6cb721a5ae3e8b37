#pragma once
// The paths below the maker's installation folder that the installer, elevated, writes and runs.
// "InstallDirectory" lives in a key every user may write (the maker's tools need that), so the folder
// is checked where it enters, once, and the driver package gets a folder of the installer's own.
#include <windows.h>

#include <string>

enum class InstallDirectoryCheck
{
    Accepted,
    NotAbsolute,         // relative, a UNC or device path, or no "X:\" at its start
    NotLocalFixedDrive,  // removable, network, optical, RAM or missing drive
};

// "X:\..." on a drive that `driveType` (GetDriveTypeA by default) calls fixed. `accepted` is the
// folder with a final backslash, which the stored value may lack.
InstallDirectoryCheck CheckInstallDirectory(const std::string& stored, std::string& accepted,
                                            UINT(WINAPI* driveType)(LPCSTR root) = GetDriveTypeA);

// The access list of the installer's own folder: SYSTEM and Administrators full control, Users read
// and execute, inherited by everything created inside, and protected from what the parent grants.
class InstallerFolderSecurity
{
public:
    InstallerFolderSecurity();
    ~InstallerFolderSecurity();
    InstallerFolderSecurity(const InstallerFolderSecurity&) = delete;
    InstallerFolderSecurity& operator=(const InstallerFolderSecurity&) = delete;

    bool Ready() const { return m_descriptor != nullptr; }
    SECURITY_ATTRIBUTES* Attributes() { return Ready() ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
};

// Makes `folder` (a full path with a final backslash) a new, empty folder with the access list
// above. A link there is removed as a link, never followed; an existing folder is emptied, links
// inside it removed and not followed, and made anew. False when any of that fails, or when a file
// stands there.
bool MakeInstallerFolder(const std::string& folder);
