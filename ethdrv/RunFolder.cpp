#include "ethdrv/RunFolder.h"

#include <objbase.h>

#include "platform/InstallPaths.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

namespace {

constexpr int kNameAttempts = 16;
constexpr int kRemoveAttempts = 10;
constexpr DWORD kRemoveRetryMs = 50;

std::string RandomFolderName()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return std::string();
    return FormatText("NoxSetup-%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned long>(guid.Data1),
                      guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                      guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
}

}  // namespace

std::string WindowsTemporaryFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string path = WideToAnsi(std::wstring(folder, length));
    if (path.back() != '\\')
        path += '\\';
    return path + "Temp\\";
}

RunFolder::RunFolder(const std::string& parent)
{
    InstallerFolderSecurity security(FolderReaders::AdministratorsOnly);
    if (parent.empty() || !security.Ready())
        return;
    // A name someone already took (files or folders that a user made in the parent) is never used:
    // CreateDirectory fails on it, and the next random name is tried.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = RandomFolderName();
        if (name.empty())
            return;
        const std::string path = parent + name;
        if (CreateDirectoryW(MakeLongPathW(path).c_str(), security.Attributes())) {
            m_path = path + "\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return;
    }
}

RunFolder::~RunFolder() { Remove(); }

bool RunFolder::Extract(int resource, const char* type, const char* name, ExtractNewFileFn extract)
{
    if (!Made())
        return false;
    const bool written = extract(resource, type, m_path + name);
    // A file half written is removed too.
    m_files.push_back(name);
    return written;
}

NRHandle RunFolder::Hold(const char* name) const
{
    if (!Made())
        return NRHandle();
    return NRHandle(CreateFileW(MakeLongPathW(m_path + name).c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

void RunFolder::Remove()
{
    if (!Made())
        return;
    // Only administrators can change this folder, so its names still mean what this run wrote. A
    // program that has just ended may still hold its image file for a moment: a few tries.
    std::string folder = m_path;
    folder.pop_back();
    for (int attempt = 0; attempt < kRemoveAttempts; ++attempt) {
        std::vector<std::string> left;
        for (const std::string& name : m_files) {
            if (!DeleteFileW(MakeLongPathW(m_path + name).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
                left.push_back(name);
        }
        m_files.swap(left);
        if (m_files.empty() && RemoveDirectoryW(MakeLongPathW(folder).c_str()))
            break;
        Sleep(kRemoveRetryMs);
    }
    m_files.clear();
    m_path.clear();
}
