// The panel's facts and its controls as one JSON object, for scripts and tests.
#pragma once

#include <nlohmann/json.hpp>

#include "plugin/panel.h"

namespace host {

nlohmann::json dumpPanel(OndrixPrintPdeTarvel& panel);

}  // namespace host
