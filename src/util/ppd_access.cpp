#include "util/ppd_access.h"

#include <cerrno>
#include <cstring>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace ppd {

void FileCloser::operator()(ppd_file_t* file) const { ppdClose(file); }

FilePtr openFile(const std::string& path, std::string& error) {
  errno = 0;
  FilePtr file(ppdOpenFile(path.c_str()));
  const int openErrno = errno;
  if (!file) {
    int line = 0;
    const ppd_status_t status = ppdLastError(&line);
    error = ppdErrorString(status);
    if (status == PPD_FILE_OPEN_ERROR && openErrno) error += std::string(": ") + std::strerror(openErrno);
    else if (line > 0) error += " on line " + std::to_string(line);
  }
  return file;
}

std::optional<std::string> findAttrValue(ppd_file_t* ppd, const char* name) {
  if (!ppd || !name) return std::nullopt;
  ppd_attr_t* attr = ppdFindAttr(ppd, name, nullptr);
  if (!attr) return std::nullopt;
  return std::string(attr->value ? attr->value : "");
}

ppd_choice_t* findMarkedChoice(ppd_file_t* ppd, const char* keyword) {
  return ppd && keyword ? ppdFindMarkedChoice(ppd, keyword) : nullptr;
}

ppd_choice_t* findChoice(ppd_option_t* option, const char* choice) {
  return option && choice ? ppdFindChoice(option, choice) : nullptr;
}

ppd_option_t* findOption(ppd_file_t* ppd, const char* keyword) {
  return ppd && keyword ? ppdFindOption(ppd, keyword) : nullptr;
}

void markDefaults(ppd_file_t* ppd) {
  if (ppd) ppdMarkDefaults(ppd);
}

void markOption(ppd_file_t* ppd, const char* keyword, const char* choice) {
  if (ppd && keyword && choice) ppdMarkOption(ppd, keyword, choice);
}

}  // namespace ppd
