#include "platform/InstallPaths.h"

#include <algorithm>
#include <cctype>
#include <cwchar>

#include "platform/ResourceFile.h"
#include "platform/Text.h"

namespace {

// Not in Windows XP's headers.
constexpr DWORD kSddlRevision1 = 1;
typedef BOOL(WINAPI* StringToSecurityDescriptorFn)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);

// P: protected; OICI: inherited by files and folders; FA: full access; 0x1200A9: read and execute.
constexpr char kInstallerFolderSddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200A9;;;BU)";
constexpr char kAdministratorsOnlySddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The longest name the installer composes below the folder: "Install_log_<stamp> (9999).txt".
constexpr std::size_t kLongestFileBelow = 42;
constexpr std::size_t kLongPrefixChars = 4;  // "\\?\"
constexpr std::size_t kMaxLongPathChars = 32767;
constexpr std::size_t kMaxNameChars = 255;

// Win32 reads these names as devices in any folder, with any extension.
bool IsDeviceName(const std::string& name)
{
    static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2",   "COM3",   "COM4",
                                           "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1",   "LPT2",   "LPT3",
                                           "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",   "CONIN$", "CONOUT$"};
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : kDevices) {
        if (base == device)
            return true;
    }
    return false;
}

// The names after "X:\", each of which must mean one folder to every call.
InstallDirectoryCheck CheckFolderNames(const std::string& stored)
{
    if (stored.find(':', 2) != std::string::npos)
        return InstallDirectoryCheck::Stream;
    std::size_t start = 3;
    while (start < stored.size()) {
        std::size_t end = stored.find('\\', start);
        if (end == std::string::npos)
            end = stored.size();
        const std::string name = stored.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        if (name == "." || name == "..")
            return InstallDirectoryCheck::DotSegment;
        if (name.back() == '.' || name.back() == ' ')
            return InstallDirectoryCheck::NameEndsInDotOrBlank;
        if (IsDeviceName(name))
            return InstallDirectoryCheck::DeviceName;
        if (name.size() > kMaxNameChars)
            return InstallDirectoryCheck::TooLong;
    }
    return InstallDirectoryCheck::Accepted;
}

// The folder as GetFullPathNameW gives it, its short names made long when it exists, with a final
// backslash; empty when it does not fit.
std::wstring CanonicalFolder(const std::wstring& path)
{
    std::wstring full(path.size() + 2, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length == 0 || length >= full.size())
        return std::wstring();
    full.resize(length);
    std::wstring longForm(kMaxLongPathChars, L'\0');
    const DWORD longLength = GetLongPathNameW(full.c_str(), &longForm[0], static_cast<DWORD>(longForm.size()));
    if (longLength > 0 && longLength < longForm.size())
        full.assign(longForm.c_str(), longLength);
    if (full.back() != L'\\')
        full += L'\\';
    return full;
}

// Whether `folder` (canonical, with a final backslash) is `windows` or lies inside it.
bool IsSameOrInside(const std::wstring& folder, std::wstring windows)
{
    if (windows.empty())
        return false;
    if (windows.back() != L'\\')
        windows += L'\\';
    return folder.size() >= windows.size() && _wcsnicmp(folder.c_str(), windows.c_str(), windows.size()) == 0;
}

// The system's Windows folder, and the one a Terminal Services user may be given, in canonical form.
bool InsideWindowsFolder(const std::wstring& folder)
{
    wchar_t system[MAX_PATH] = {};
    wchar_t user[MAX_PATH] = {};
    const UINT systemLength = GetSystemWindowsDirectoryW(system, MAX_PATH);
    const UINT userLength = GetWindowsDirectoryW(user, MAX_PATH);
    return (systemLength > 0 && systemLength < MAX_PATH && IsSameOrInside(folder, CanonicalFolder(system))) ||
           (userLength > 0 && userLength < MAX_PATH && IsSameOrInside(folder, CanonicalFolder(user)));
}

}  // namespace

InstallDirectoryCheck CheckInstallDirectory(const std::string& stored, std::string& accepted,
                                            UINT(WINAPI* driveType)(LPCSTR root))
{
    const bool driveLetterPath = stored.size() >= 3 && std::isalpha(static_cast<unsigned char>(stored[0])) &&
                                 stored[1] == ':' && stored[2] == '\\';
    if (!driveLetterPath)
        return InstallDirectoryCheck::NotAbsolute;
    // GetFullPathNameW reads "/" as a separator: C:\Nox/..\Windows is C:\Windows\ to it. The
    // names are checked as it reads them, before it drops "." and ".." and keeps a trailing blank.
    std::string separated = stored;
    std::replace(separated.begin(), separated.end(), '/', '\\');
    const InstallDirectoryCheck names = CheckFolderNames(separated);
    if (names != InstallDirectoryCheck::Accepted)
        return names;
    const std::string root = stored.substr(0, 3);
    if (driveType(root.c_str()) != DRIVE_FIXED)
        return InstallDirectoryCheck::NotLocalFixedDrive;

    // From here on only GetFullPathNameW's answer is used.
    const std::wstring full = CanonicalFolder(AnsiToWide(stored));
    if (full.empty() || full.size() + kLongPrefixChars + kLongestFileBelow >= kMaxLongPathChars)
        return InstallDirectoryCheck::TooLong;
    if (full.size() <= 3)
        return InstallDirectoryCheck::DriveRoot;
    if (InsideWindowsFolder(full))
        return InstallDirectoryCheck::WindowsFolder;
    accepted = WideToAnsi(full);
    return InstallDirectoryCheck::Accepted;
}

const char* InstallDirectoryRefusal(InstallDirectoryCheck check)
{
    static const struct
    {
        InstallDirectoryCheck check;
        const char* why;
    } kRefusals[] = {
        {InstallDirectoryCheck::NotAbsolute, "is not a full path that starts with a drive letter"},
        {InstallDirectoryCheck::NotLocalFixedDrive, "is not on a local fixed drive"},
        {InstallDirectoryCheck::NameEndsInDotOrBlank, "has a folder name that ends in a dot or a blank"},
        {InstallDirectoryCheck::DotSegment, "has a \".\" or \"..\" folder"},
        {InstallDirectoryCheck::Stream, "names a stream (a colon after the drive)"},
        {InstallDirectoryCheck::DeviceName, "names a device"},
        {InstallDirectoryCheck::TooLong, "is too long for the files written into it"},
        {InstallDirectoryCheck::DriveRoot, "is the root of a drive"},
        {InstallDirectoryCheck::WindowsFolder, "is the Windows folder or a folder inside it"},
    };
    for (const auto& refusal : kRefusals) {
        if (refusal.check == check)
            return refusal.why;
    }
    return "is accepted";
}

InstallerFolderSecurity::InstallerFolderSecurity(FolderReaders readers)
{
    const char* sddl = readers == FolderReaders::AdministratorsOnly ? kAdministratorsOnlySddl : kInstallerFolderSddl;
    // advapi32 is always loaded; the conversion is looked up as Windows 2000 spells it.
    HMODULE advapi32 = GetModuleHandleA("advapi32.dll");
    auto convert = advapi32 ? reinterpret_cast<StringToSecurityDescriptorFn>(reinterpret_cast<void*>(GetProcAddress(
                                  advapi32, "ConvertStringSecurityDescriptorToSecurityDescriptorA")))
                            : nullptr;
    if (!convert || !convert(sddl, kSddlRevision1, &m_descriptor, nullptr))
        m_descriptor = nullptr;
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}

InstallerFolderSecurity::~InstallerFolderSecurity()
{
    if (m_descriptor)
        LocalFree(m_descriptor);
}
