// The few calls into the CUPS PPD interface. CUPS 2.4 marks that interface deprecated; its calls are kept
// here so the warning is silenced in one place only.
#pragma once

#include <cups/ppd.h>

#include <memory>
#include <optional>
#include <string>

namespace ppd {

struct FileCloser {
  void operator()(ppd_file_t* file) const;
};
using FilePtr = std::unique_ptr<ppd_file_t, FileCloser>;

// ppdOpenFile; none when the file cannot be read or parsed, with the reason in error: ppdLastError's text
// with its line, or the system's for a file that cannot be opened.
FilePtr openFile(const std::string& path, std::string& error);
// The same for a caller that shows no reason.
inline FilePtr openFile(const std::string& path) {
  std::string ignored;
  return openFile(path, ignored);
}
// ppdFindAttr without a specifier, first match: the value (empty when the attribute has none), or none when absent.
std::optional<std::string> findAttrValue(ppd_file_t* ppd, const char* name);
// ppdFindMarkedChoice and ppdFindChoice.
ppd_choice_t* findMarkedChoice(ppd_file_t* ppd, const char* keyword);
ppd_choice_t* findChoice(ppd_option_t* option, const char* choice);
ppd_option_t* findOption(ppd_file_t* ppd, const char* keyword);
// ppdMarkDefaults and ppdMarkOption (hosts and tests mark what the user chose).
void markDefaults(ppd_file_t* ppd);
void markOption(ppd_file_t* ppd, const char* keyword, const char* choice);

}  // namespace ppd
