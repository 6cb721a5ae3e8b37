// The elevated run's own folder: unique, for administrators only, files made new, removed afterwards.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <string>
#include <vector>

#include "DriverMachine.h"
#include "TestSupport.h"
#include "ethdrv/DriverInstaller.h"
#include "ethdrv/RunFolder.h"
#include "platform/ResourceFile.h"

using namespace testing_support;

namespace {

// Who the folder's access list, as Windows reads it back, lets in.
std::vector<std::string> Grantees(const std::string& path)
{
    std::vector<std::string> grantees;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return {"unreadable"};
    const struct
    {
        WELL_KNOWN_SID_TYPE type;
        const char* name;
    } known[] = {{WinLocalSystemSid, "SYSTEM"},       {WinBuiltinAdministratorsSid, "Administrators"},
                 {WinBuiltinUsersSid, "Users"},       {WinAuthenticatedUserSid, "Authenticated Users"},
                 {WinWorldSid, "Everyone"},           {WinCreatorOwnerSid, "CREATOR OWNER"}};
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        std::string who = "the owner";
        for (const auto& k : known) {
            if (IsWellKnownSid(&ace->SidStart, k.type))
                who = k.name;
        }
        grantees.push_back(who);
    }
    LocalFree(descriptor);
    return grantees;
}

bool GrantsAnyUser(const std::vector<std::string>& grantees)
{
    for (const std::string& who : grantees) {
        if (who == "Users" || who == "Authenticated Users" || who == "Everyone" || who == "CREATOR OWNER")
            return true;
    }
    return false;
}

}  // namespace

TEST(RunFolder, IsMadeUniqueForAdministratorsOnlyAndRemovedAfterwards)
{
    TempDir parent;
    std::string path;
    {
        RunFolder folder(parent.Path());
        RunFolder other(parent.Path());
        ASSERT_TRUE(folder.Made());
        ASSERT_TRUE(other.Made());
        path = folder.Path();
        EXPECT_EQ(0u, path.find(parent.Path() + "NoxSetup-")) << path;
        EXPECT_EQ('\\', path.back());
        EXPECT_NE(path, other.Path());

        // Windows reads back the list the folder was made with (SYSTEM and Administrators, protected:
        // checked on the descriptor in the platform tests). Wine keeps it as Unix mode bits, which
        // still show that no user was let in where an ordinary folder lets everyone read.
        ASSERT_TRUE(CreateDirectoryA(parent.File("ordinary").c_str(), nullptr));
        ASSERT_TRUE(GrantsAnyUser(Grantees(parent.File("ordinary")))) << "the comparison can tell";
        const std::vector<std::string> grantees = Grantees(path.substr(0, path.size() - 1));
        EXPECT_FALSE(GrantsAnyUser(grantees)) << ::testing::PrintToString(grantees);
        EXPECT_FALSE(grantees.empty());
        RemoveDirectoryA(parent.File("ordinary").c_str());

        EXPECT_TRUE(folder.Extract(DriverPackage::kCatalogue, DriverPackage::kResourceType, "NxNtSp50.cat",
                                   ExtractResourceToNewFile));
        EXPECT_FALSE(folder.Extract(DriverPackage::kCatalogue, DriverPackage::kResourceType, "NxNtSp50.cat",
                                    ExtractResourceToNewFile))
            << "every file is created new: a name that is there is never written over";
        EXPECT_EQ(ReadWholeFile(StandinFile("package\\v2\\NxNtSp50.cat")), ReadWholeFile(path + "NxNtSp50.cat"));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << "removed with the object";
    EXPECT_EQ(std::vector<std::string>{}, FileNames(parent.File("*")));
}

TEST(RunFolder, AHeldFileCanBeNeitherWrittenNorDeletedAndOnlyNamesItWroteAreRemoved)
{
    TempDir parent;
    RunFolder folder(parent.Path());
    ASSERT_TRUE(folder.Extract(DriverPackage::kProtocolInstaller, DriverPackage::kResourceType, "ProtInstall.exe",
                               ExtractResourceToNewFile));
    const std::string program = folder.Path() + "ProtInstall.exe";
    {
        const NRHandle held = folder.Hold("ProtInstall.exe");
        ASSERT_TRUE(held);
        EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(program.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                    FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(DeleteFileA(program.c_str()));
        EXPECT_FALSE(MoveFileA(program.c_str(), (folder.Path() + "moved.exe").c_str()));
        // Reading, as Windows does to start it, is shared.
        NRHandle reader(CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(reader);
    }
    // Something a started program left behind is not the run's to delete: the folder stays.
    ASSERT_TRUE(WriteWholeFile(folder.Path() + "left.txt", "left by the program"));
    const std::string path = folder.Path();
    folder.Remove();
    EXPECT_EQ(std::vector<std::string>{"left.txt"}, FileNames(path + "*"));
}
