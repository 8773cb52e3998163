// Padlock images of the hold buttons and images from bundle files.
#pragma once

#include <cstdint>
#include <filesystem>

#include "ui/toolkit.h"

// Four-character type codes of the two padlock states.
inline constexpr std::uint32_t kIconTypeUnlocked = 0x756C636B;  // 'ulck'
inline constexpr std::uint32_t kIconTypeLocked = 0x6C6F636B;    // 'lock'

// The system icon for a four-character type code, 18 by 18 points, shared. On Linux the freedesktop icon
// names "changes-allow" ('ulck') and "changes-prevent" ('lock') are the images' identity.
ui::ImageRef initWithSystemIconType(std::uint32_t code);

// An image from a PNG file at its own size; none when the file is not a readable PNG.
ui::ImageRef imageWithContentsOfFile(const std::filesystem::path& file);
