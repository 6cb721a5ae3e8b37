#include "platform/Registry.h"

#include <aclapi.h>

#include <cstdio>

#include "platform/Text.h"

GuiSettings g_guiSettings = {};
NoxSetupRegistry g_registry;

namespace {

constexpr DWORD kMaxInstallDirectoryBytes = 260;  // with the terminator

// Closes a registry key on every way out of a scope.
class KeyHandle
{
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The maker's machine key is the 32-bit program's: on 64-bit Windows it lives under
// Software\WOW6432Node, and a 64-bit build must read that same key. 32-bit Windows XP and later
// ignore the flag.
constexpr REGSAM kMachineKeyView = KEY_WOW64_32KEY;

bool CreateKey(HKEY root, const char* path, KeyHandle& key, const SECURITY_ATTRIBUTES* security = nullptr,
               REGSAM view = 0)
{
    return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view,
                           const_cast<SECURITY_ATTRIBUTES*>(security), key.Out(), nullptr) == ERROR_SUCCESS;
}

bool QueryDword(HKEY key, const char* name, DWORD& value)
{
    // Queried into a local: a value of another type must not overwrite the caller's default.
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data))
        return false;
    value = data;
    return true;
}

bool ReadDword(const char* keyPath, const char* name, DWORD& value)
{
    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, key.Out()) != ERROR_SUCCESS)
        return false;
    return QueryDword(key.Get(), name, value);
}

bool SetDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

bool WriteDword(const char* keyPath, const char* name, DWORD value)
{
    KeyHandle key;
    return CreateKey(HKEY_CURRENT_USER, keyPath, key) && SetDword(key.Get(), name, value);
}

std::string UnitGroupKeyPath(const std::string& companyKey, const char* group)
{
    return FormatText("%s\\UnitGroupPrefs\\%s", companyKey.c_str(), group);
}

// Writes `value` unless the stored value already is that REG_DWORD.
bool StoreDwordIfDifferent(HKEY key, const char* name, DWORD value)
{
    DWORD stored = 0;
    if (QueryDword(key, name, stored) && stored == value)
        return true;
    return SetDword(key, name, value);
}

}  // namespace

// The rights a new machine key gets: everyone and the administrators may do everything, and so may
// they with every key and value created below it. The maker's tools run as ordinary users and write
// there too.
MachineKeySecurity::MachineKeySecurity() { m_ready = Build(); }

MachineKeySecurity::~MachineKeySecurity()
{
    if (m_descriptor)
        LocalFree(m_descriptor);
    if (m_acl)
        LocalFree(m_acl);
    if (m_administrators)
        FreeSid(m_administrators);
    if (m_everyone)
        FreeSid(m_everyone);
}

bool MachineKeySecurity::Report(const char* step)
{
    std::printf("%s - %lu\n", step, GetLastError());
    return false;
}

bool MachineKeySecurity::Build()
{
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    if (!AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &m_everyone))
        return Report("AllocateAndInitializeSid 1");
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &m_administrators))
        return Report("AllocateAndInitializeSid 2");

    EXPLICIT_ACCESS_A access[2] = {};
    access[0].grfAccessPermissions = KEY_ALL_ACCESS;
    access[0].grfAccessMode = SET_ACCESS;
    access[0].grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access[0].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access[0].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access[0].Trustee.ptstrName = static_cast<LPSTR>(m_everyone);
    access[1] = access[0];
    access[1].Trustee.TrusteeType = TRUSTEE_IS_GROUP;
    access[1].Trustee.ptstrName = static_cast<LPSTR>(m_administrators);
    const DWORD aclError = SetEntriesInAclA(2, access, nullptr, &m_acl);
    if (aclError != ERROR_SUCCESS) {
        SetLastError(aclError);
        return Report("SetEntriesInAcl");
    }

    m_descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (!m_descriptor) {
        std::printf("LocalAlloc Error %lu\n", GetLastError());
        return Report("LocalAlloc");
    }
    if (!InitializeSecurityDescriptor(m_descriptor, SECURITY_DESCRIPTOR_REVISION))
        return Report("InitializeSecurityDescriptor");
    if (!SetSecurityDescriptorDacl(m_descriptor, TRUE, m_acl, FALSE))
        return Report("SetSecurityDescriptorDacl");

    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    return true;
}

bool NRRegistry::EnsureMachineKey() const
{
    MachineKeySecurity security;
    if (!security.Ready())
        return false;
    // The rights apply only when the key is new; an existing key keeps its own.
    KeyHandle key;
    return CreateKey(HKEY_LOCAL_MACHINE, m_machineCompanyKey, key, security.Attributes(), kMachineKeyView);
}

bool NRRegistry::ReadInstallDirectory(std::string& directory) const
{
    KeyHandle key;
    if (!CreateKey(HKEY_LOCAL_MACHINE, m_machineCompanyKey, key, nullptr, kMachineKeyView)) {
        // Without administrator rights the key can still be read, just not created.
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_machineCompanyKey, 0, KEY_QUERY_VALUE | kMachineKeyView, key.Out()) !=
            ERROR_SUCCESS)
            return false;
    }
    char buffer[kMaxInstallDirectoryBytes + 1] = {};  // one more, so a text stored unterminated still ends
    DWORD type = 0;
    DWORD size = kMaxInstallDirectoryBytes;
    if (RegQueryValueExA(key.Get(), "InstallDirectory", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size > kMaxInstallDirectoryBytes)
        return false;
    directory = buffer;
    return true;
}

bool NRRegistry::ReadProgramDword(const char* name, DWORD& value) const { return ReadDword(m_programKey, name, value); }

bool NRRegistry::ReadCompanyDword(const char* name, DWORD& value) const { return ReadDword(m_companyKey, name, value); }

bool NRRegistry::WriteProgramDword(const char* name, DWORD value) const
{
    return WriteDword(m_programKey, name, value);
}

bool NRRegistry::WriteCompanyDword(const char* name, DWORD value) const
{
    return WriteDword(m_companyKey, name, value);
}

bool NRRegistry::WriteWindowPlacement(const WINDOWPLACEMENT& placement) const
{
    // The length field says how much to store; never more than the record holds.
    if (placement.length == 0 || placement.length > sizeof(placement))
        return false;
    KeyHandle key;
    return CreateKey(HKEY_CURRENT_USER, m_programKey, key) &&
           RegSetValueExA(key.Get(), "WindowPlacement", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement),
                          placement.length) == ERROR_SUCCESS;
}

bool NRUnitGroupPrefsReg::ReadUnitGroupPref(const char* group, std::uint16_t& category, std::uint16_t& unit) const
{
    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, UnitGroupKeyPath(GetCompanyKey(), group).c_str(), 0, KEY_ALL_ACCESS,
                      key.Out()) != ERROR_SUCCESS)
        return false;
    DWORD storedCategory = 0, storedUnit = 0;
    if (!QueryDword(key.Get(), "cat", storedCategory) || !QueryDword(key.Get(), "unit", storedUnit))
        return false;
    category = static_cast<std::uint16_t>(storedCategory & 0xFFFF);
    unit = static_cast<std::uint16_t>(storedUnit & 0xFFFF);
    return true;
}

bool NRUnitGroupPrefsReg::WriteUnitGroupPref(const char* group, std::uint16_t category, std::uint16_t unit) const
{
    const std::string companyKey = GetCompanyKey();
    const std::string groupKeyPath = UnitGroupKeyPath(companyKey, group);
    if (category == kNoPreferenceCategory && unit == kNoPreferenceUnit) {
        RegDeleteKeyA(HKEY_CURRENT_USER, groupKeyPath.c_str());
        return false;
    }
    {
        KeyHandle prefs;
        if (!CreateKey(HKEY_CURRENT_USER, (companyKey + "\\UnitGroupPrefs").c_str(), prefs))
            return false;
    }
    KeyHandle key;
    if (!CreateKey(HKEY_CURRENT_USER, groupKeyPath.c_str(), key))
        return false;
    const bool categoryStored = StoreDwordIfDifferent(key.Get(), "cat", category);
    const bool unitStored = StoreDwordIfDifferent(key.Get(), "unit", unit);
    return categoryStored && unitStored;
}

GuiSettings ReadGuiSettings(const NRRegistry& registry)
{
    DWORD appliedLocally = 0;
    registry.ReadProgramDword("GlobalSettingsAppliedLocally", appliedLocally);
    auto read = [&](const char* name, DWORD fallback) -> std::uint8_t {
        DWORD value = fallback;
        if (appliedLocally)
            registry.ReadProgramDword(name, value);
        else
            registry.ReadCompanyDword(name, value);
        return value ? 1 : 0;
    };
    GuiSettings settings;
    settings.globalSettingsAppliedLocally = appliedLocally ? 1 : 0;
    settings.newGui = read("NEWGUI", 1);
    settings.colorBlind = read("ColorBlind", 0);
    settings.reverseFolderOrder = read("ReverseFolderOrder", 0);
    settings.floatingFocus = read("FloatingFocus", 0);
    return settings;
}

void LoadGuiSettings() { g_guiSettings = ReadGuiSettings(g_registry); }
