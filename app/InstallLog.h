#pragma once
// The install log: the progress lines as typed, one per file line, each ended by CR LF, no header,
// in "<install directory>Install_log_<YYYY-MM-DD_hh-mm-ss>.txt" (local time). The install directory
// is used as stored, so it is expected to end with a backslash.
#include <string>

std::string InstallLogFileName(const std::string& installDirectory, const std::string& stamp);

// Writes `progressText` (lines each ended by a line feed) as the log of now into `installDirectory`;
// an empty text gives an empty file. The elevated run writes into a folder that users may change,
// so the log is always a new file: a name already taken (by a log of the same second, or by a link
// someone planted) moves on to "Install_log_<stamp> (1).txt" and so on, and a file that turns out to
// have a second name or to lie outside the folder is deleted again. False, and no file, when the
// directory does not exist, is a link or is reached through one (it must be the folder its
// canonical path names), or no log could be written there. Reports nothing.
bool WriteInstallLog(const std::string& installDirectory, const std::string& progressText);
// The same with the time stamp given.
bool WriteInstallLogStamped(const std::string& installDirectory, const std::string& progressText,
                            const std::string& stamp);
