// The PPD's text encoding and the operating-system release check.
#pragma once

#include <cups/ppd.h>

#include <cstdint>
#include <filesystem>

#include "platform/encoding.h"

// The string-object encoding of the PPD's texts, from its LanguageEncoding; Mac OS Roman when unknown.
platform::NSStringEncoding getEncodingFromPPD(const ppd_file_t* ppd);

// Updates major, minor and micro from "ProductVersion" of the version property list; each keeps its value
// when its component is missing, all three when the file or the key is.
void get_system_version(std::int32_t* major, std::int32_t* minor, std::int32_t* micro);
// The version file read by get_system_version (tests point it elsewhere).
void setSystemVersionFileForTesting(std::filesystem::path file);

bool runningOnLeopardOrLater();
