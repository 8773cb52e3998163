// Placeholder until this group is built.
#include "util/icons.h"

ui::ImageRef initWithSystemIconType(std::uint32_t) { return nullptr; }
ui::ImageRef imageWithContentsOfFile(const std::filesystem::path&) { return nullptr; }
