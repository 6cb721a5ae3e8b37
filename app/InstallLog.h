#pragma once
// The install log: the progress lines as typed, one per file line, each ended by CR LF, no header,
// in "<install directory>Install_log_<YYYY-MM-DD_hh-mm-ss>.txt" (local time). The install directory
// is used as stored, so it is expected to end with a backslash.
#include <string>

std::string InstallLogFileName(const std::string& installDirectory, const std::string& stamp);

// Writes `progressText` (lines each ended by a line feed) as the log of now into `installDirectory`,
// replacing a log of the same second; an empty text gives an empty file. False, and no file, when the
// directory does not exist; false when the file cannot be written. Reports nothing.
bool WriteInstallLog(const std::string& installDirectory, const std::string& progressText);
