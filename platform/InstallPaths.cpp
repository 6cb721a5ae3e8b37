#include "platform/InstallPaths.h"

#include <cctype>

#include "platform/ResourceFile.h"

namespace {

// Not in Windows XP's headers.
constexpr DWORD kSddlRevision1 = 1;
typedef BOOL(WINAPI* StringToSecurityDescriptorFn)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);

// P: protected; OICI: inherited by files and folders; FA: full access; 0x1200A9: read and execute.
constexpr char kInstallerFolderSddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200A9;;;BU)";

bool IsLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes one entry without following it: a link goes as a link, whatever it points to.
bool RemoveEntry(const std::wstring& path, DWORD attributes);

// Removes everything inside `folder` (a long path without a final backslash).
bool EmptyFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool emptied = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        emptied = RemoveEntry(folder + L"\\" + name, found.dwFileAttributes) && emptied;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return emptied;
}

bool RemoveEntry(const std::wstring& path, DWORD attributes)
{
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (IsLink(attributes))
        return directory ? RemoveDirectoryW(path.c_str()) != FALSE : DeleteFileW(path.c_str()) != FALSE;
    if (directory)
        return EmptyFolder(path) && RemoveDirectoryW(path.c_str()) != FALSE;
    return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

InstallDirectoryCheck CheckInstallDirectory(const std::string& stored, std::string& accepted,
                                            UINT(WINAPI* driveType)(LPCSTR root))
{
    const bool driveLetterPath = stored.size() >= 3 && std::isalpha(static_cast<unsigned char>(stored[0])) &&
                                 stored[1] == ':' && stored[2] == '\\';
    if (!driveLetterPath)
        return InstallDirectoryCheck::NotAbsolute;
    const std::string root = stored.substr(0, 3);
    if (driveType(root.c_str()) != DRIVE_FIXED)
        return InstallDirectoryCheck::NotLocalFixedDrive;
    accepted = stored;
    if (accepted.back() != '\\')
        accepted += '\\';
    return InstallDirectoryCheck::Accepted;
}

InstallerFolderSecurity::InstallerFolderSecurity()
{
    // advapi32 is always loaded; the conversion is looked up as Windows 2000 spells it.
    HMODULE advapi32 = GetModuleHandleA("advapi32.dll");
    auto convert = advapi32 ? reinterpret_cast<StringToSecurityDescriptorFn>(reinterpret_cast<void*>(GetProcAddress(
                                  advapi32, "ConvertStringSecurityDescriptorToSecurityDescriptorA")))
                            : nullptr;
    if (!convert || !convert(kInstallerFolderSddl, kSddlRevision1, &m_descriptor, nullptr))
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

bool MakeInstallerFolder(const std::string& folder)
{
    std::string withoutSlash = folder;
    while (!withoutSlash.empty() && withoutSlash.back() == '\\')
        withoutSlash.pop_back();
    const std::wstring path = MakeLongPathW(withoutSlash);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes))
            return false;
        if (!RemoveEntry(path, attributes))
            return false;
    }
    InstallerFolderSecurity security;
    if (!security.Ready() || !CreateDirectoryW(path.c_str(), security.Attributes()))
        return false;
    // Made by this call, so nobody has put a link in its place since.
    const DWORD made = GetFileAttributesW(path.c_str());
    return made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(made);
}
