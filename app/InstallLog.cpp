#include "app/InstallLog.h"

#include <windows.h>

#include <vector>

#include "platform/FolderHandle.h"
#include "platform/LinkSafeFile.h"
#include "platform/Lookups.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

namespace {

constexpr std::size_t kLongPathChars = 32768;
constexpr std::size_t kTxtChars = 4;  // ".txt"

}  // namespace

std::string InstallLogFileName(const std::string& installDirectory, const std::string& stamp)
{
    return FormatText("%sInstall_log_%s.txt", installDirectory.c_str(), stamp.c_str());
}

bool WriteInstallLog(const std::string& installDirectory, const std::string& progressText)
{
    return WriteInstallLogStamped(installDirectory, progressText,
                                  FormatDateTimeStamp(std::nullopt, '-', '_', '-'));
}

bool WriteInstallLogStamped(const std::string& installDirectory, const std::string& progressText,
                            const std::string& stamp)
{
    const DWORD attributes = GetFileAttributesLong(installDirectory);
    if (installDirectory.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // Held while the log is written: the folder checked to be the one its path names, with no link
    // on the way, and neither renamed nor deleted meanwhile.
    NRFolderHandle folder;
    if (!folder.Open(installDirectory))
        return false;
    const std::string lines = WithCrLf(progressText);
    const std::wstring name = MakeLongPathW(InstallLogFileName(installDirectory, stamp));
    const std::wstring base = name.substr(0, name.size() - kTxtChars);
    std::vector<wchar_t> path(base.size() + 32);
    std::vector<wchar_t> scratch(kLongPathChars);
    return WriteFirstFreeFile(base.c_str(), lines.data(), lines.size(), path.data(), path.size(), scratch.data(),
                              scratch.size()) >= 0;
}
