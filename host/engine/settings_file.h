// The job's print settings as a file of key=value lines, so scripts can feed and inspect them.
#pragma once

#include <filesystem>
#include <string>

#include "platform/printcore.h"

namespace host {

// Reads key=value lines into the settings (a line without "=" is an error; blank lines are skipped).
// A missing file is not an error: the job starts without settings. Returns false with a message otherwise.
bool readSettingsFile(const std::filesystem::path& file, platform::PrintSettings& settings, std::string& error);
// Writes the settings sorted by key, replacing the file whole. Returns false with a message on failure.
bool writeSettingsFile(const std::filesystem::path& file, const platform::PrintSettings& settings, std::string& error);

}  // namespace host
