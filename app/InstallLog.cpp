#include "app/InstallLog.h"

#include <windows.h>

#include "platform/Lookups.h"
#include "platform/ResourceFile.h"
#include "platform/Text.h"

std::string InstallLogFileName(const std::string& installDirectory, const std::string& stamp)
{
    return FormatText("%sInstall_log_%s.txt", installDirectory.c_str(), stamp.c_str());
}

bool WriteInstallLog(const std::string& installDirectory, const std::string& progressText)
{
    const DWORD attributes = GetFileAttributesLong(installDirectory);
    if (installDirectory.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const std::string lines = WithCrLf(progressText);
    MemFile file;
    if (!lines.empty())
        file.WriteBin(lines.data(), static_cast<std::int32_t>(lines.size()));
    return file.SaveToFile(InstallLogFileName(installDirectory, FormatDateTimeStamp(std::nullopt, '-', '_', '-')));
}
