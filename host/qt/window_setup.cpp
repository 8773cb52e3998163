#include "qt/window_setup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include <algorithm>
#include <cstdlib>

namespace host::qt {
namespace {

// "de_DE.UTF-8@euro" asks for "de_DE" and then "de".
std::vector<std::string> languagesOf(const std::string& entry) {
  std::string name = entry.substr(0, entry.find_first_of(".@"));
  std::vector<std::string> out{name};
  if (const auto underscore = name.find('_'); underscore != std::string::npos) out.push_back(name.substr(0, underscore));
  return out;
}

QtMessageHandler previousHandler = nullptr;

void dropSizeHintsMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

std::string windowLanguage(const std::map<std::string, std::string>& environment,
                           const std::vector<std::string>& offered) {
  auto value = [&](const char* name) {
    const auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
  };
  std::string locale = value("LC_ALL");
  if (locale.empty()) locale = value("LC_MESSAGES");
  if (locale.empty()) locale = value("LANG");
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};

  std::vector<std::string> asked;
  const std::string list = value("LANGUAGE");
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    for (std::string& l : languagesOf(list.substr(start, end - start))) asked.push_back(std::move(l));
    start = end + 1;
  }
  for (std::string& l : languagesOf(locale)) asked.push_back(std::move(l));
  for (const std::string& l : asked)
    if (std::find(offered.begin(), offered.end(), l) != offered.end()) return l;
  return {};
}

std::string windowLanguage() {
  std::map<std::string, std::string> environment;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"})
    if (const char* v = std::getenv(name)) environment[name] = v;
  return windowLanguage(environment);
}

std::string installWindowLanguage(const std::filesystem::path& bundle) {
  const std::string language = windowLanguage();
  if (language.empty()) return language;
  // The translators live as long as the application, which deletes them as its children.
  auto install = [](const QString& name, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(name, folder)) QCoreApplication::installTranslator(translator);
    else delete translator;
  };
  const QString lang = QString::fromStdString(language);
  install(QStringLiteral("qtbase_") + lang, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  install(QStringLiteral("ondrix-window_") + lang,
          QString::fromStdString((bundle / "Contents" / "Resources" / "translations").string()));
  return language;
}

void quietOffscreenPlatform() { previousHandler = qInstallMessageHandler(dropSizeHintsMessage); }

}  // namespace host::qt
