// What every window process around the panel sets up at start (the print dialog, the job agent): the
// window's language, chosen as the panel's gettext chooses its own, so that one window speaks one
// language, and a stderr free of one message of Qt's off-screen platform.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace host::qt {

// The languages the window's texts come in besides English, the language of the source texts.
inline const std::vector<std::string> kWindowLanguages{"de", "ja"};

// The first of offered that the environment asks for, read as gettext reads it: the locale is the first
// non-empty of LC_ALL, LC_MESSAGES, LANG (else C); under C or POSIX nothing is translated; otherwise
// LANGUAGE (a colon-separated list) comes first, then the locale's own language. "de_DE.UTF-8" asks for
// "de". Empty for English (nothing offered asked for). environment: the variables, as getenv gives them.
std::string windowLanguage(const std::map<std::string, std::string>& environment,
                           const std::vector<std::string>& offered = kWindowLanguages);
// The same for this process's environment.
std::string windowLanguage();

// Installs on the running application the translators of the window's language: the window's own texts
// (translations/ondrix-window_<language>.qm in the bundle's resources) and Qt's standard ones
// (qtbase_<language>.qm from Qt's translations folder). Returns the language, empty for English.
// REQUIRES: a QApplication exists; called once, before any window is made.
std::string installWindowLanguage(const std::filesystem::path& bundle);

// Drops the off-screen platform's "This plugin does not support propagateSizeHints()", which every window
// it shows would print, and passes every other message on. Call once at start.
void quietOffscreenPlatform();

}  // namespace host::qt
