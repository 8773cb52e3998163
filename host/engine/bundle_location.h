// Where the plug-in bundle lives: found beside the running program, so an installed tree works wherever
// it is unpacked and never depends on the folder it was built in.
#pragma once

#include <filesystem>

namespace host {

// The environment variable that names the bundle folder when no --bundle is given.
inline constexpr const char* kBundleVariable = "ONDRIX_PDE_BUNDLE";

// True when folder holds the plug-in library where a bundle keeps it (Contents/Linux/libondrix-pde.so).
bool isBundle(const std::filesystem::path& folder);

// The bundle to load when the command line names none: $ONDRIX_PDE_BUNDLE when set; else, relative to the
// running program's folder, the installed place (lib/ondrix-pde/ beside bin/) or the build tree's (the
// top of the build folder, one or two folders up); else the installed place, so that the error names it.
std::filesystem::path defaultBundle();

}  // namespace host
