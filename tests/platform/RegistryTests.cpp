#include <gtest/gtest.h>

#include <aclapi.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Registry.h"

namespace {

// A registry of the installer's shape on keys of the test's own, removed at the end.
class RegistryTest : public testing::Test
{
protected:
    RegistryTest()
        : m_root("Software\\Nox Racing Tests\\" + std::to_string(GetCurrentProcessId())),
          m_company(m_root + "\\Company"),
          m_machine(m_root + "\\Machine"),
          m_program(m_company + "\\NoxSetup"),
          registry(m_company.c_str(), m_machine.c_str(), m_program.c_str())
    {
    }
    ~RegistryTest() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, m_root.c_str());
        testing_support::DeleteMachineKeyTree(m_root);
    }

    // The machine key is read in the 32-bit view in every build; the user's keys have one view.
    static REGSAM ViewOf(HKEY root) { return root == HKEY_LOCAL_MACHINE ? testing_support::kMachineKeyView : 0; }

    static void SetValue(HKEY root, const std::string& keyPath, const char* name, DWORD type, const void* data,
                         DWORD size, REGSAM view = 0)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | (view ? view : ViewOf(root)),
                                  nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static void SetText(HKEY root, const std::string& keyPath, const char* name, DWORD type, const std::string& text,
                        REGSAM view = 0)
    {
        SetValue(root, keyPath, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1), view);
    }
    static void SetDword(HKEY root, const std::string& keyPath, const char* name, DWORD value)
    {
        SetValue(root, keyPath, name, REG_DWORD, &value, sizeof(value));
    }
    static bool KeyExists(HKEY root, const std::string& keyPath)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ | ViewOf(root), &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::string m_root, m_company, m_machine, m_program;
    NoxSetupRegistry registry;
};

}  // namespace

TEST_F(RegistryTest, InstallDirectoryMustBeAShortEnoughPlainString)
{
    std::string directory = "unchanged";
    EXPECT_FALSE(registry.ReadInstallDirectory(directory)) << "missing";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_machine)) << "reading creates the machine key";

    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_SZ, "C:\\Nox Racing\\Tools\\");
    EXPECT_TRUE(registry.ReadInstallDirectory(directory));
    EXPECT_EQ("C:\\Nox Racing\\Tools\\", directory);

    std::string other = "unchanged";
    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_EXPAND_SZ, "%ProgramFiles%\\Nox\\");
    EXPECT_FALSE(registry.ReadInstallDirectory(other)) << "REG_EXPAND_SZ";

    const std::string exactly260 = "C:\\" + std::string(255, 'd') + "\\";  // 259 characters + terminator
    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_SZ, exactly260);
    EXPECT_TRUE(registry.ReadInstallDirectory(other));
    EXPECT_EQ(exactly260, other);

    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_SZ, exactly260 + "x");
    EXPECT_FALSE(registry.ReadInstallDirectory(other)) << "261 bytes";
}

TEST_F(RegistryTest, InstallDirectoryIsReadInTheViewOfTheShippedThirtyTwoBitProgram)
{
    // Only the 64-bit view names a folder: a 64-bit build that read its own view would take it.
    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_SZ, "C:\\Only In The 64-bit View\\",
            KEY_WOW64_64KEY);
    std::string directory = "unchanged";
    EXPECT_FALSE(registry.ReadInstallDirectory(directory));
    EXPECT_EQ("unchanged", directory);

    SetText(HKEY_LOCAL_MACHINE, m_machine, "InstallDirectory", REG_SZ, "C:\\Nox Racing\\");
    EXPECT_TRUE(registry.ReadInstallDirectory(directory));
    EXPECT_EQ("C:\\Nox Racing\\", directory);
}

TEST_F(RegistryTest, DwordSettingsNeedTheRightTypeAndSizeAndKeepTheDefaultOtherwise)
{
    DWORD value = 42;
    EXPECT_FALSE(registry.ReadCompanyDword("NEWGUI", value)) << "no key";
    EXPECT_EQ(42u, value);

    EXPECT_TRUE(registry.WriteCompanyDword("NEWGUI", 0));
    EXPECT_TRUE(registry.ReadCompanyDword("NEWGUI", value));
    EXPECT_EQ(0u, value);

    // A string of four bytes would fit the buffer: it must still not land in the caller's value.
    value = 42;
    SetText(HKEY_CURRENT_USER, m_company, "ColorBlind", REG_SZ, "123");
    EXPECT_FALSE(registry.ReadCompanyDword("ColorBlind", value));
    EXPECT_EQ(42u, value);

    const unsigned char eightBytes[8] = {1};
    SetValue(HKEY_CURRENT_USER, m_company, "FloatingFocus", REG_BINARY, eightBytes, sizeof(eightBytes));
    EXPECT_FALSE(registry.ReadCompanyDword("FloatingFocus", value));
    EXPECT_EQ(42u, value);

    EXPECT_TRUE(registry.WriteProgramDword("GlobalSettingsAppliedLocally", 7));
    EXPECT_TRUE(registry.ReadProgramDword("GlobalSettingsAppliedLocally", value));
    EXPECT_EQ(7u, value);
}

TEST_F(RegistryTest, GuiSettingsComeFromTheProgramKeyOnlyWhenAppliedLocally)
{
    GuiSettings settings = ReadGuiSettings(registry);
    EXPECT_EQ(0, settings.globalSettingsAppliedLocally);
    EXPECT_EQ(1, settings.newGui);
    EXPECT_EQ(0, settings.colorBlind);
    EXPECT_EQ(0, settings.reverseFolderOrder);
    EXPECT_EQ(0, settings.floatingFocus);

    SetDword(HKEY_CURRENT_USER, m_company, "NEWGUI", 0);
    SetDword(HKEY_CURRENT_USER, m_company, "ColorBlind", 5);
    SetText(HKEY_CURRENT_USER, m_company, "FloatingFocus", REG_SZ, "1");
    SetDword(HKEY_CURRENT_USER, m_program, "ReverseFolderOrder", 1);
    settings = ReadGuiSettings(registry);
    EXPECT_EQ(0, settings.newGui);
    EXPECT_EQ(1, settings.colorBlind);
    EXPECT_EQ(0, settings.reverseFolderOrder) << "the program key is not read";
    EXPECT_EQ(0, settings.floatingFocus) << "a string counts as missing";

    SetDword(HKEY_CURRENT_USER, m_program, "GlobalSettingsAppliedLocally", 1);
    settings = ReadGuiSettings(registry);
    EXPECT_EQ(1, settings.globalSettingsAppliedLocally);
    EXPECT_EQ(1, settings.newGui) << "default, the program key has none";
    EXPECT_EQ(0, settings.colorBlind);
    EXPECT_EQ(1, settings.reverseFolderOrder);
}

TEST_F(RegistryTest, UnitGroupPreferencesAreStoredAndRemoved)
{
    std::uint16_t category = 0, unit = 0;
    EXPECT_FALSE(registry.ReadUnitGroupPref("GPS Speed", category, unit));

    EXPECT_TRUE(registry.WriteUnitGroupPref("GPS Speed", 3, 5));
    EXPECT_TRUE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
    EXPECT_EQ(3, category);
    EXPECT_EQ(5, unit);

    // Writing the stored pair again succeeds. That it is not rewritten cannot be seen here: Wine's
    // registry drops a write of the value a key already holds, notifications and times included.
    const std::string groupKey = m_company + "\\UnitGroupPrefs\\GPS Speed";
    EXPECT_TRUE(registry.WriteUnitGroupPref("GPS Speed", 3, 5));

    // A value of the wrong type is replaced.
    SetText(HKEY_CURRENT_USER, groupKey, "unit", REG_SZ, "5");
    EXPECT_FALSE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
    EXPECT_TRUE(registry.WriteUnitGroupPref("GPS Speed", 3, 5));
    EXPECT_TRUE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
    EXPECT_EQ(5, unit);

    // Only the low 16 bits count.
    SetDword(HKEY_CURRENT_USER, groupKey, "cat", 0x10007);
    EXPECT_TRUE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
    EXPECT_EQ(7, category);

    EXPECT_FALSE(registry.WriteUnitGroupPref("GPS Speed", 40000, 1));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, groupKey));
    EXPECT_FALSE(registry.ReadUnitGroupPref("GPS Speed", category, unit));
}

TEST_F(RegistryTest, MachineKeyIsCreatedOnceAndKeptAfterwards)
{
    ASSERT_TRUE(registry.EnsureMachineKey());
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_machine));
    EXPECT_TRUE(registry.EnsureMachineKey()) << "an existing key is fine";
}

TEST(MachineKeySecurity, GrantsEveryoneAndTheAdministratorsFullInheritedAccess)
{
    // Checked on the descriptor itself: Wine's registry keeps no per-key security to read back.
    MachineKeySecurity security;
    ASSERT_TRUE(security.Ready());
    const SECURITY_ATTRIBUTES* attributes = security.Attributes();
    EXPECT_EQ(sizeof(SECURITY_ATTRIBUTES), attributes->nLength);
    EXPECT_FALSE(attributes->bInheritHandle);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    ASSERT_TRUE(dacl);

    std::vector<std::string> trustees;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(static_cast<DWORD>(KEY_ALL_ACCESS), ace->Mask & KEY_ALL_ACCESS);
        EXPECT_EQ(CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE,
                  ace->Header.AceFlags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE));
        char name[256] = {}, domain[256] = {};
        DWORD nameSize = sizeof(name), domainSize = sizeof(domain);
        SID_NAME_USE use;
        LookupAccountSidA(nullptr, &ace->SidStart, name, &nameSize, domain, &domainSize, &use);
        trustees.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"Everyone", "Administrators"}), trustees);
}

TEST_F(RegistryTest, WindowPlacementIsStoredAsItsOwnLength)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = RECT{10, 20, 650, 500};
    ASSERT_TRUE(registry.WriteWindowPlacement(placement));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_program.c_str(), 0, KEY_READ, &key));
    WINDOWPLACEMENT stored = {};
    DWORD type = 0, size = sizeof(stored);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "WindowPlacement", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size));
    RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(44u, size);
    EXPECT_EQ(650, stored.rcNormalPosition.right);

    placement.length = sizeof(placement) + 100;  // would read past the record
    EXPECT_FALSE(registry.WriteWindowPlacement(placement));
}

TEST(ProcessRegistry, UsesTheMakersKeys)
{
    EXPECT_STREQ("Software\\Nox Racing", g_registry.CompanyKeyPath());
    EXPECT_STREQ("Software\\Nox Racing", g_registry.MachineCompanyKeyPath());
    EXPECT_STREQ("Software\\Nox Racing\\NoxSetup", g_registry.ProgramKeyPath());
    EXPECT_EQ("Software\\Nox Racing", g_registry.GetCompanyKey());
}
