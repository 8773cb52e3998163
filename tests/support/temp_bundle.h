// Bundles made by a test, with strings tables it compiles itself, and the catalogue language chosen for
// one scope: translations then depend neither on the user's locale nor on the shipped catalogues.
#pragma once

#include <gtest/gtest.h>
#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/scratch.h"

namespace testsupport {

// A bundle folder under a fresh scratch folder, removed with the object.
class TempBundle {
 public:
  explicit TempBundle(const std::string& name = "Test.plugin") : bundle_(root_.path() / name) {
    std::filesystem::create_directories(resources());
  }

  const std::filesystem::path& path() const { return bundle_; }
  std::filesystem::path resources() const { return bundle_ / "Contents" / "Resources"; }

  void write(const std::filesystem::path& relative, const std::string& bytes) const {
    std::filesystem::create_directories((resources() / relative).parent_path());
    writeFile(resources() / relative, bytes);
  }

  // Compiles msgid/msgstr pairs into locale/<language>/LC_MESSAGES/<domain>.mo; the UTF-8 header entry is
  // added here.
  void addCatalogue(const std::string& language, const std::string& entries,
                    const std::string& domain = "ondrix-pde") const {
    const std::filesystem::path po = root_.path() / (language + ".po");
    writeFile(po, "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries);
    const std::filesystem::path mo = resources() / "locale" / language / "LC_MESSAGES" / (domain + ".mo");
    std::filesystem::create_directories(mo.parent_path());
    const std::string command = "msgfmt -o '" + mo.string() + "' '" + po.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

 private:
  ScratchDir root_{"ondrix-bundle"};
  std::filesystem::path bundle_;
};

// The C.UTF-8 locale (plain "C" ignores LANGUAGE) with LANGUAGE choosing the catalogue; both put back at the
// end of the scope. Tests check ready() first.
class CatalogueLanguage {
 public:
  CatalogueLanguage() : savedLocale_(std::setlocale(LC_ALL, nullptr)) {
    ready_ = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
  }
  ~CatalogueLanguage() { std::setlocale(LC_ALL, savedLocale_.c_str()); }
  CatalogueLanguage(const CatalogueLanguage&) = delete;
  CatalogueLanguage& operator=(const CatalogueLanguage&) = delete;

  bool ready() const { return ready_; }

  // gettext caches translations per locale, not per LANGUAGE; naming the current domain again is its
  // documented signal that the environment changed.
  void use(const char* language) const {
    language_.set(language);
    textdomain(textdomain(nullptr));
  }

 private:
  std::string savedLocale_;
  bool ready_ = false;
  EnvOverride language_{"LANGUAGE"};
};

}  // namespace testsupport
