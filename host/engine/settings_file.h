// The job's print settings as a file of key=value lines, so scripts can feed and inspect them.
#pragma once

#include <filesystem>
#include <string>

#include "platform/printcore.h"

namespace host {

// Reads key=value lines into the settings (a line without "=" is an error; blank lines are skipped).
// A missing file is not an error: the job starts without settings. Returns false with a message otherwise.
bool readSettingsFile(const std::filesystem::path& file, platform::PrintSettings& settings, std::string& error);
// True when the file can be written later: not a folder, its folder takes new entries, and an existing
// file is writable. Checked before a run, so a run that could not keep its result does not start.
bool checkSettingsFileWritable(const std::filesystem::path& file, std::string& error);
// Writes the settings sorted by key, replacing the file whole, readable by the user alone (0600). On
// failure nothing is left behind and the old file stays; returns false with a message.
bool writeSettingsFile(const std::filesystem::path& file, const platform::PrintSettings& settings, std::string& error);

}  // namespace host
