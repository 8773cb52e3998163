// PPDs written by a test: a minimal valid header plus the lines the test cares about.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

class TempPPD {
 public:
  explicit TempPPD(const std::string& extraLines, const std::string& modelName = "Ondrix Test 1") {
    char pattern[] = "/tmp/ondrix-ppd-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    path_ = pattern;
    std::ofstream out(path_);
    out << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
        << "*Manufacturer: \"Ondrix\"\n*Product: \"(Test)\"\n*PCFileName: \"TEST.PPD\"\n";
    if (!modelName.empty()) out << "*ModelName: \"" << modelName << "\"\n";
    out << "*NickName: \"Ondrix Test\"\n*ShortNickName: \"Ondrix Test\"\n" << extraLines;
  }
  ~TempPPD() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  TempPPD(const TempPPD&) = delete;
  TempPPD& operator=(const TempPPD&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
