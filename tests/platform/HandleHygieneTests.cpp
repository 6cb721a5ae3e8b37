// Every platform service releases the handles, keys and snapshots it takes, on success and failure.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "platform/Lookups.h"
#include "platform/Registry.h"
#include "platform/ResourceFile.h"
#include "platform/Signature.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

using namespace testing_support;

namespace {

// Runs the operation once to let the system set up what it keeps for the process (crypto stores,
// cached keys), then checks that further runs leave no handle behind.
void ExpectNoHandleLeft(const char* what, const std::function<void()>& operation)
{
    operation();
    const HANDLE before = NextHandleValue();
    for (int i = 0; i < 3; ++i)
        operation();
    EXPECT_EQ(before, NextHandleValue()) << what << " left a handle open";
}

}  // namespace

TEST(HandleHygiene, TheProbeSeesALeakedKey)
{
    const HANDLE before = NextHandleValue();
    HKEY leaked = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &leaked));
    EXPECT_NE(before, NextHandleValue());
    RegCloseKey(leaked);
    EXPECT_EQ(before, NextHandleValue());
}

TEST(HandleHygiene, RegistryOperationsCloseTheirKeys)
{
    const std::string root = "Software\\Nox Racing Tests\\hygiene" + std::to_string(GetCurrentProcessId());
    const std::string company = root + "\\Company", machine = root + "\\Machine", program = company + "\\NoxSetup";
    NoxSetupRegistry registry(company.c_str(), machine.c_str(), program.c_str());
    DWORD value = 0;
    std::string text;
    std::uint16_t category = 0, unit = 0;
    ExpectNoHandleLeft("EnsureMachineKey", [&] { registry.EnsureMachineKey(); });
    ExpectNoHandleLeft("ReadInstallDirectory", [&] { registry.ReadInstallDirectory(text); });
    ExpectNoHandleLeft("Write/ReadCompanyDword", [&] {
        registry.WriteCompanyDword("NEWGUI", 1);
        registry.ReadCompanyDword("NEWGUI", value);
        registry.ReadProgramDword("missing", value);
    });
    ExpectNoHandleLeft("unit group preferences", [&] {
        registry.WriteUnitGroupPref("GPS Speed", 3, 5);
        registry.ReadUnitGroupPref("GPS Speed", category, unit);
        registry.WriteUnitGroupPref("GPS Speed", 40000, 1);
    });
    ExpectNoHandleLeft("ReadGuiSettings", [&] { ReadGuiSettings(registry); });
    SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
    DeleteMachineKeyTree(root);
}

TEST(HandleHygiene, FileAndProcessLookupsCloseTheirHandles)
{
    TempDir dir;
    DWORD id = 0;
    FileVersion version;
    std::string message;
    ExpectNoHandleLeft("VerifyFileSignature (signed)",
                       [&] { VerifyFileSignature(AnsiToWide(BuildFile("fixture-signed-maker.exe")), message); });
    ExpectNoHandleLeft("VerifyFileSignature (unsigned)",
                       [&] { VerifyFileSignature(AnsiToWide(BuildFile("version_fixture.exe")), message); });
    ExpectNoHandleLeft("FindServerProcess", [&] { FindServerProcess(id); });
    ExpectNoHandleLeft("GetFileVersion", [&] { GetFileVersion(BuildFile("version_fixture.exe"), version); });
    ExpectNoHandleLeft("ExtractResourceToFile", [&] {
        ExtractResourceToFile(990, "NR_ETHERNET", dir.File("package.txt"));
        ExtractResourceToFile(990, "NR_ETHERNET", dir.File("missing\\package.txt"));
    });
    ExpectNoHandleLeft("CreateDirectoryPath", [&] { CreateDirectoryPath(dir.File("a\\b\\c")); });
}
