// PPDs written by a test: a minimal valid header plus the lines the test cares about.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/scratch.h"

namespace testsupport {

class TempPPD {
 public:
  explicit TempPPD(const std::string& extraLines, const std::string& modelName = "Ondrix Test 1")
      : path_(dir_.path() / "test.ppd") {
    std::ofstream out(path_);
    out << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
        << "*Manufacturer: \"Ondrix\"\n*Product: \"(Test)\"\n*PCFileName: \"TEST.PPD\"\n";
    if (!modelName.empty()) out << "*ModelName: \"" << modelName << "\"\n";
    out << "*NickName: \"Ondrix Test\"\n*ShortNickName: \"Ondrix Test\"\n" << extraLines;
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  ScratchDir dir_{"ondrix-ppd"};
  std::filesystem::path path_;
};

}  // namespace testsupport
