#include "util/icons.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A complete 3 by 2 RGB PNG.
const Bytes kPng3x2{
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0x12, 0x16, 0xF1, 0x4D, 0x00, 0x00, 0x00, 0x10, 0x49,
    0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x41, 0x0C, 0x70, 0x16, 0x00, 0x41, 0xD2, 0x05, 0xFB,
    0x87, 0xF0, 0xB9, 0x48, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
// Signature and a header chunk with a correct CRC but width 0.
const Bytes kPngZeroWidth{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49,
                          0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02,
                          0x00, 0x00, 0x00, 0xF9, 0x21, 0x4A, 0x4E};

Bytes with(Bytes bytes, std::size_t at, unsigned char value) {
  bytes.at(at) = value;
  return bytes;
}
Bytes prefix(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

class IconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("icons_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const std::string& name, const Bytes& bytes) {
    fs::path file = dir_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

  fs::path dir_;
};

TEST(SystemIconTest, EveryCodeGivesAnEighteenPointIconSharedPerCode) {
  struct Case {
    std::uint32_t code;
    const char* name;
  };
  const Case cases[] = {
      {kIconTypeUnlocked, "changes-allow"},
      {kIconTypeLocked, "changes-prevent"},
      {0x666F6C64, "text-x-generic"},  // 'fold'
      {0, "text-x-generic"},
      {0xFFFFFFFF, "text-x-generic"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ui::ImageRef image = initWithSystemIconType(c.code);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->name, c.name);
    EXPECT_EQ(image->width, 18);
    EXPECT_EQ(image->height, 18);
    EXPECT_EQ(initWithSystemIconType(c.code), image);
  }
  EXPECT_NE(initWithSystemIconType(kIconTypeUnlocked)->name, initWithSystemIconType(kIconTypeLocked)->name);
}

TEST_F(IconsTest, ReadsTheSizeOfAPngAndNothingElse) {
  struct Case {
    const char* name;
    Bytes bytes;
    bool image;
  };
  const Case cases[] = {
      {"whole.png", kPng3x2, true},
      {"header-only.png", prefix(kPng3x2, 33), true},
      {"cut-in-header.png", prefix(kPng3x2, 32), false},
      {"signature-only.png", prefix(kPng3x2, 8), false},
      {"empty.png", {}, false},
      {"bad-signature.png", with(kPng3x2, 1, 'p'), false},
      {"bad-crc.png", with(kPng3x2, 19, 0x04), false},   // width 4 no longer matches the CRC
      {"not-ihdr.png", with(kPng3x2, 12, 'i'), false},    // chunk type "iHDR"
      {"long-ihdr.png", with(kPng3x2, 11, 0x0E), false},  // declared length 14
      {"zero-width.png", kPngZeroWidth, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path file = write(c.name, c.bytes);
    ui::ImageRef image = imageWithContentsOfFile(file);
    ASSERT_EQ(image != nullptr, c.image);
    if (!image) continue;
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->file, file);
  }
}

TEST_F(IconsTest, MissingFilesAndFoldersGiveNoImage) {
  EXPECT_EQ(imageWithContentsOfFile(dir_ / "absent.png"), nullptr);
  EXPECT_EQ(imageWithContentsOfFile(dir_), nullptr);
  EXPECT_EQ(imageWithContentsOfFile(fs::path()), nullptr);
}

}  // namespace
