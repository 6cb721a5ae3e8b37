// The checks on the paths the elevated installer writes and runs below the maker's folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/InstallPaths.h"

using namespace testing_support;

namespace {

UINT WINAPI DriveTypeByLetter(LPCSTR root)
{
    switch (root[0]) {
    case 'C':
    case 'c':
        return DRIVE_FIXED;
    case 'A':
        return DRIVE_REMOVABLE;
    case 'N':
        return DRIVE_REMOTE;
    case 'R':
        return DRIVE_CDROM;
    default:
        return DRIVE_NO_ROOT_DIR;
    }
}

}  // namespace

TEST(InstallDirectoryCheck, TakesOnlyAFullPathOnALocalFixedDriveOutsideWindowsInOneFormEndedByABackslash)
{
    using Check = InstallDirectoryCheck;
    const std::string longName(256, 'n');
    std::string tooLong = "C:";
    while (tooLong.size() < 32767 - 40)
        tooLong += "\\" + std::string(200, 'd');
    const struct
    {
        std::string stored;
        Check check;
        const char* accepted;
    } cases[] = {
        {"C:\\Nox Racing\\", Check::Accepted, "C:\\Nox Racing\\"},
        {"C:\\Nox Racing", Check::Accepted, "C:\\Nox Racing\\"},
        {"c:\\", Check::DriveRoot, ""},
        {"C:\\", Check::DriveRoot, ""},
        {"C:\\Windows\\", Check::WindowsFolder, ""},
        {"C:\\windows", Check::WindowsFolder, ""},
        {"C:\\Windows\\System32\\", Check::WindowsFolder, ""},
        {"C:\\WindowsTools\\", Check::Accepted, "C:\\WindowsTools\\"},
        {"C:\\Nox/..\\Windows\\", Check::DotSegment, ""},
        {"C:\\Nox /", Check::NameEndsInDotOrBlank, ""},
        {"C:\\Nox/Racing/", Check::Accepted, "C:\\Nox\\Racing\\"},
        {"C:\\Nox\\\\Racing\\", Check::Accepted, "C:\\Nox\\Racing\\"},
        {"C:\\CONSOLE\\.nox\\", Check::Accepted, "C:\\CONSOLE\\.nox\\"},
        {"C:\\Users\\me\\x.\\", Check::NameEndsInDotOrBlank, ""},
        {"C:\\NoxTools \\", Check::NameEndsInDotOrBlank, ""},
        {"C:\\Nox Racing.", Check::NameEndsInDotOrBlank, ""},
        {"C:\\Nox\\..\\Windows\\", Check::DotSegment, ""},
        {"C:\\Nox\\.\\", Check::DotSegment, ""},
        {"C:\\Nox:hidden\\", Check::Stream, ""},
        {"C:\\Nox\\x::$INDEX_ALLOCATION\\", Check::Stream, ""},
        {"C:\\Nox\\CON\\", Check::DeviceName, ""},
        {"C:\\nul.txt\\", Check::DeviceName, ""},
        {"C:\\Nox\\Com1", Check::DeviceName, ""},
        {"C:\\Nox\\CONOUT$\\", Check::DeviceName, ""},
        {"C:\\" + longName + "\\", Check::TooLong, ""},
        {tooLong, Check::TooLong, ""},
        {"\\\\server\\share\\Nox\\", Check::NotAbsolute, ""},
        {"\\\\?\\C:\\Nox\\", Check::NotAbsolute, ""},
        {"\\\\.\\PhysicalDrive0\\", Check::NotAbsolute, ""},
        {"Nox Racing\\", Check::NotAbsolute, ""},
        {"\\Nox Racing\\", Check::NotAbsolute, ""},
        {"C:Nox Racing\\", Check::NotAbsolute, ""},
        {"C:/Nox Racing/", Check::NotAbsolute, ""},
        {"", Check::NotAbsolute, ""},
        {"A:\\Nox\\", Check::NotLocalFixedDrive, ""},
        {"N:\\Nox\\", Check::NotLocalFixedDrive, ""},
        {"R:\\Nox\\", Check::NotLocalFixedDrive, ""},
        {"Q:\\Nox\\", Check::NotLocalFixedDrive, ""},
    };
    for (const auto& c : cases) {
        std::string accepted;
        EXPECT_EQ(c.check, CheckInstallDirectory(c.stored, accepted, DriveTypeByLetter)) << c.stored.substr(0, 80);
        EXPECT_EQ(c.accepted, accepted) << c.stored.substr(0, 80);
    }
    std::string accepted;
    EXPECT_EQ(InstallDirectoryCheck::Accepted, CheckInstallDirectory("C:\\Nox Racing", accepted))
        << "the system's drive C: is fixed";
}

namespace {

// "<who> <mask>" for each entry of the descriptor's list, which must be protected and inherited by
// everything made inside.
std::vector<std::string> ProtectedEntries(InstallerFolderSecurity& security)
{
    std::vector<std::string> entries;
    SECURITY_ATTRIBUTES* attributes = security.Attributes();
    if (!attributes || attributes->nLength != sizeof(SECURITY_ATTRIBUTES) || attributes->bInheritHandle)
        return {"no attributes"};
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorControl(attributes->lpSecurityDescriptor, &control, &revision) ||
        !(control & SE_DACL_PROTECTED) ||
        !GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return {"not protected"};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
            ace->Header.AceFlags != (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE))
            return {"an entry of another kind"};
        WELL_KNOWN_SID_TYPE known[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinBuiltinUsersSid};
        const char* names[] = {"SYSTEM", "Administrators", "Users"};
        std::string who = "?";
        for (int k = 0; k < 3; ++k)
            if (IsWellKnownSid(&ace->SidStart, known[k]))
                who = names[k];
        entries.push_back(who + " " + std::to_string(ace->Mask));
    }
    return entries;
}

}  // namespace

TEST(InstallerFolderSecurity, GrantsSystemAndAdministratorsFullControlAndUsersReadAndExecuteOrNothing)
{
    // Checked on the descriptor itself: Wine keeps file access lists as Unix mode bits.
    const std::string full = std::to_string(FILE_ALL_ACCESS);
    const std::string readExecute = std::to_string(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE);
    const struct
    {
        FolderReaders readers;
        std::vector<std::string> entries;
    } cases[] = {
        {FolderReaders::AdministratorsAndUsers,
         {"SYSTEM " + full, "Administrators " + full, "Users " + readExecute}},
        {FolderReaders::AdministratorsOnly, {"SYSTEM " + full, "Administrators " + full}},
    };
    for (const auto& c : cases) {
        InstallerFolderSecurity security(c.readers);
        ASSERT_TRUE(security.Ready());
        EXPECT_EQ(c.entries, ProtectedEntries(security));
    }
}
