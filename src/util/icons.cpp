#include "util/icons.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr double kIconSide = 18;

// Theme names of the icons: the freedesktop padlocks, and the generic document for any other type.
constexpr std::string_view kUnlockedIconName = "changes-allow";
constexpr std::string_view kLockedIconName = "changes-prevent";
constexpr std::string_view kGenericIconName = "text-x-generic";

// A PNG opens with its signature and then the IHDR chunk: length 13, type, width, height, five one-byte
// fields, CRC. Nothing past that is read.
constexpr std::array<unsigned char, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kIhdrDataLength = 13;
constexpr std::size_t kPngHeadLength = 8 + 4 + 4 + kIhdrDataLength + 4;
constexpr std::uint32_t kPngMaxDimension = 0x7FFFFFFF;

std::uint32_t readBigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

// CRC-32 as PNG computes it over a chunk's type and data.
std::uint32_t crc32(const unsigned char* bytes, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

ui::ImageRef makeIcon(std::string_view name) {
  auto image = std::make_shared<ui::Image>();
  image->name = std::string(name);
  image->width = kIconSide;
  image->height = kIconSide;
  return image;
}

}  // namespace

// The icon for a four-character type code, 18 by 18 points. One image per code is made for the life of the
// process and handed out shared; every code other than the two padlocks shares the generic icon, so the set
// stays bounded whatever codes callers pass.
ui::ImageRef initWithSystemIconType(std::uint32_t code) {
  static const ui::ImageRef unlocked = makeIcon(kUnlockedIconName);
  static const ui::ImageRef locked = makeIcon(kLockedIconName);
  static const ui::ImageRef generic = makeIcon(kGenericIconName);
  if (code == kIconTypeUnlocked) return unlocked;
  if (code == kIconTypeLocked) return locked;
  return generic;
}

// An image of the PNG file at its pixel size in points. Only the signature and the header chunk are read and
// checked (length, type, CRC, dimensions within the format's range); none for anything else.
ui::ImageRef imageWithContentsOfFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  std::array<unsigned char, kPngHeadLength> head{};
  if (!in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()))) return nullptr;

  // Signature, then a 13-byte IHDR chunk whose CRC matches.
  if (!std::equal(kPngSignature.begin(), kPngSignature.end(), head.begin())) return nullptr;
  const unsigned char* chunk = head.data() + kPngSignature.size();
  if (readBigEndian32(chunk) != kIhdrDataLength) return nullptr;
  if (std::string_view(reinterpret_cast<const char*>(chunk + 4), 4) != "IHDR") return nullptr;
  if (crc32(chunk + 4, 4 + kIhdrDataLength) != readBigEndian32(chunk + 8 + kIhdrDataLength)) return nullptr;

  const std::uint32_t width = readBigEndian32(chunk + 8);
  const std::uint32_t height = readBigEndian32(chunk + 12);
  if (width == 0 || height == 0 || width > kPngMaxDimension || height > kPngMaxDimension) return nullptr;

  auto image = std::make_shared<ui::Image>();
  image->file = file;
  image->width = width;
  image->height = height;
  return image;
}
