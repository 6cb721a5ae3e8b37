#pragma once
// The paths below the maker's installation folder that the installer, elevated, writes and runs.
// "InstallDirectory" lives in a key every user may write (the maker's tools need that), so the folder
// is checked where it enters, once, and the driver package gets a folder of the installer's own.
#include <windows.h>

#include <string>

enum class InstallDirectoryCheck
{
    Accepted,
    NotAbsolute,           // relative, a UNC or device path, or no "X:\" at its start
    NotLocalFixedDrive,    // removable, network, optical, RAM or missing drive
    NameEndsInDotOrBlank,  // a folder name that Win32 would cut short ("x." is "x"), so two forms exist
    DotSegment,            // a "." or ".." folder
    Stream,                // a colon after the drive: a stream of a file, not a folder
    DeviceName,            // a folder named after a device (CON, NUL, COM1, LPT1 ...), extension or not
    TooLong,               // a file name composed below it would not fit the calls that take it
    DriveRoot,             // a drive's root folder
    WindowsFolder,         // the Windows folder or a folder inside it
};

// "X:\..." on a drive that `driveType` (GetDriveTypeA by default) calls fixed, with no name in it
// that Windows reads two ways, neither a drive's root nor the Windows folder or inside it. `accepted`
// is the folder in its one canonical form (GetFullPathNameW, short names made long where the folder
// exists), with a final backslash, which the stored value may lack: every later use takes this form.
// The names are checked as GetFullPathNameW reads the stored value, "/" as a separator.
InstallDirectoryCheck CheckInstallDirectory(const std::string& stored, std::string& accepted,
                                            UINT(WINAPI* driveType)(LPCSTR root) = GetDriveTypeA);

// Why a check refused the folder, to follow "The installation folder <value> " in a progress line.
const char* InstallDirectoryRefusal(InstallDirectoryCheck check);

// The access list of the installer's own folder: SYSTEM and Administrators full control, Users read
// and execute (or nothing at all), inherited by everything created inside, and protected from what
// the parent grants.
enum class FolderReaders
{
    AdministratorsAndUsers,
    AdministratorsOnly,
};
class InstallerFolderSecurity
{
public:
    explicit InstallerFolderSecurity(FolderReaders readers = FolderReaders::AdministratorsAndUsers);
    ~InstallerFolderSecurity();
    InstallerFolderSecurity(const InstallerFolderSecurity&) = delete;
    InstallerFolderSecurity& operator=(const InstallerFolderSecurity&) = delete;

    bool Ready() const { return m_descriptor != nullptr; }
    SECURITY_ATTRIBUTES* Attributes() { return Ready() ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
};
