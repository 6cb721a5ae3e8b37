#pragma once
// The installer's registry settings under the maker's company key, shared with the maker's other
// tools: the machine-wide key and its "InstallDirectory", the GUI settings, the window placement and
// the per-user unit-group preferences.
#include <windows.h>

#include <cstdint>
#include <string>

// The GUI toolkit's settings, one byte each, 1 or 0.
struct GuiSettings
{
    std::uint8_t globalSettingsAppliedLocally;
    std::uint8_t newGui;
    std::uint8_t colorBlind;
    std::uint8_t reverseFolderOrder;
    std::uint8_t floatingFocus;
};

extern GuiSettings g_guiSettings;

// Key paths and the plain reads and writes. The paths are fixed when the object is made.
class NRRegistry
{
public:
    constexpr NRRegistry(const char* companyKey, const char* machineCompanyKey, const char* programKey)
        : m_companyKey(companyKey), m_machineCompanyKey(machineCompanyKey), m_programKey(programKey)
    {
    }

    const char* CompanyKeyPath() const { return m_companyKey; }
    const char* MachineCompanyKeyPath() const { return m_machineCompanyKey; }
    const char* ProgramKeyPath() const { return m_programKey; }

    // The machine-wide company key exists afterwards; a new one is open to everyone and to the
    // administrators. False when the key cannot be created or opened.
    bool EnsureMachineKey() const;
    // "InstallDirectory": a REG_SZ of at most 260 bytes with its terminator; anything else counts as missing.
    bool ReadInstallDirectory(std::string& directory) const;

    // A REG_DWORD of exactly 4 bytes; `value` is changed only when one was read.
    bool ReadProgramDword(const char* name, DWORD& value) const;
    bool ReadCompanyDword(const char* name, DWORD& value) const;
    bool WriteProgramDword(const char* name, DWORD value) const;
    bool WriteCompanyDword(const char* name, DWORD value) const;

    // Stores the record under the program key, as many bytes as its own length field says.
    bool WriteWindowPlacement(const WINDOWPLACEMENT& placement) const;

private:
    const char* m_companyKey;
    const char* m_machineCompanyKey;
    const char* m_programKey;
};

// The security of a newly created machine key: Everyone and the Administrators get full access,
// inherited by every key and value below. Built when constructed; released when destroyed.
class MachineKeySecurity
{
public:
    MachineKeySecurity();
    ~MachineKeySecurity();
    MachineKeySecurity(const MachineKeySecurity&) = delete;
    MachineKeySecurity& operator=(const MachineKeySecurity&) = delete;

    // False when a step failed; the step and its error code were printed to standard output.
    bool Ready() const { return m_ready; }
    const SECURITY_ATTRIBUTES* Attributes() const { return &m_attributes; }

private:
    static bool Report(const char* step);
    bool Build();

    PSID m_everyone = nullptr;
    PSID m_administrators = nullptr;
    PACL m_acl = nullptr;
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {};
    bool m_ready = false;
};

// Access to the maker's unit database settings; the derived registry says where the company key is.
class NRUnitDBReg
{
public:
    virtual std::string GetCompanyKey() const = 0;

protected:
    constexpr NRUnitDBReg() = default;
    ~NRUnitDBReg() = default;
};

// The unit chosen for each unit group ("Vehicle Speed", "GPS Speed", ...) under
// <company key>\UnitGroupPrefs\<group>, as the DWORDs "cat" and "unit".
class NRUnitGroupPrefsReg : public NRUnitDBReg
{
public:
    // Category and unit that mean "no preference": writing them removes the group's key.
    static constexpr std::uint16_t kNoPreferenceCategory = 40000;
    static constexpr std::uint16_t kNoPreferenceUnit = 1;

    bool ReadUnitGroupPref(const char* group, std::uint16_t& category, std::uint16_t& unit) const;
    // True when both values are stored; false when the preference was removed or a key cannot be made.
    // Values that already hold the wanted number are not rewritten.
    bool WriteUnitGroupPref(const char* group, std::uint16_t category, std::uint16_t unit) const;

protected:
    constexpr NRUnitGroupPrefsReg() = default;
    ~NRUnitGroupPrefsReg() = default;
};

class NoxSetupRegistry : public NRRegistry, public NRUnitGroupPrefsReg
{
public:
    // The maker's keys.
    constexpr NoxSetupRegistry()
        : NoxSetupRegistry("Software\\Nox Racing", "Software\\Nox Racing", "Software\\Nox Racing\\NoxSetup")
    {
    }
    // Other keys, for tests that must not touch the real settings.
    constexpr NoxSetupRegistry(const char* companyKey, const char* machineCompanyKey, const char* programKey)
        : NRRegistry(companyKey, machineCompanyKey, programKey)
    {
    }
    virtual ~NoxSetupRegistry() = default;

    std::string GetCompanyKey() const override { return CompanyKeyPath(); }
};

// The process's registry object. Its constructor is constant, so it is ready before any other
// object of the process is built.
extern NoxSetupRegistry g_registry;

// The GUI settings as stored: from the program key when "GlobalSettingsAppliedLocally" is set there,
// otherwise from the company key; defaults NEWGUI 1, the others 0.
GuiSettings ReadGuiSettings(const NRRegistry& registry);
// Refills g_guiSettings from the maker's keys.
void LoadGuiSettings();
