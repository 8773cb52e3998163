// The panel's facts and its controls as one JSON object, for scripts and tests.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "engine/engine.h"
#include "plugin/panel.h"

namespace host {

// The eyes are the front end's: they read its controls.
nlohmann::json dumpPanel(OndrixPrintPdeTarvel& panel, UserActions& eyes);
// The dump as the one line of text the host prints.
std::string dumpText(OndrixPrintPdeTarvel& panel, UserActions& eyes);
// The window step's one line: {"window": {"title", "tabs", "buttons", "labels", "panelTabs"}}.
std::string windowText(const WindowFacts& facts);

}  // namespace host
