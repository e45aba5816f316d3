// The icon file the Windows build makes from the program icon's drawing:
// what the resource compiler and the system read from it must be the same
// pictures the Linux build shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/dialog/resources/icon_file.h"
#include "ui/resources.h"

namespace {

unsigned Word(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes.at(at)) |
         (static_cast<unsigned>(static_cast<unsigned char>(bytes.at(at + 1))) << 8);
}

std::uint32_t Dword(const std::string& bytes, std::size_t at) {
  return Word(bytes, at) | (static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16);
}

std::size_t RowBytes(int width, int bits) { return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4; }

// One image of the file against the drawing it came from: its header, its
// colour table, every pixel's colour index and its mask bit.
void ExpectImage(const std::string& file, std::size_t at, const framework::IconImage& image) {
  EXPECT_EQ(Dword(file, at), 40u);
  EXPECT_EQ(Dword(file, at + 4), static_cast<std::uint32_t>(image.width));
  EXPECT_EQ(Dword(file, at + 8), static_cast<std::uint32_t>(image.height * 2));  // colours and mask
  EXPECT_EQ(Word(file, at + 14), 8u);
  const std::size_t table = at + 40;
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint32_t argb = image.palette[i];
    ASSERT_EQ(Dword(file, table + i * 4), argb & 0x00FFFFFFu) << "colour " << i;
  }
  const std::size_t colours = table + std::size_t{256} * 4;
  const std::size_t mask = colours + RowBytes(image.width, 8) * static_cast<std::size_t>(image.height);
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(image.height - 1 - y);  // rows bottom to top
    for (int x = 0; x < image.width; ++x) {
      const BYTE index = image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                      static_cast<std::size_t>(x)];
      const bool clear = (image.palette[index] >> 24) == 0;
      const auto colour = static_cast<unsigned char>(file.at(colours + row * RowBytes(image.width, 8) + x));
      const auto maskByte = static_cast<unsigned char>(file.at(mask + row * RowBytes(image.width, 1) + x / 8));
      ASSERT_EQ((maskByte & (0x80u >> (x % 8))) != 0, clear) << "pixel " << x << "," << y;
      if (!clear) {
        ASSERT_EQ(colour, index) << "pixel " << x << "," << y;
      }
    }
  }
}

TEST(IconFileTest, HoldsTheDrawnImagesWithTheirColoursAndTransparency) {
  const std::vector<framework::IconImage> images = DrawProgramIcon();
  const std::string file = IconFileBytes(images);
  ASSERT_GE(file.size(), 6u);
  EXPECT_EQ(Word(file, 0), 0u);
  EXPECT_EQ(Word(file, 2), 1u);  // an icon, not a cursor
  ASSERT_EQ(Word(file, 4), images.size());
  std::size_t expectedOffset = 6 + 16 * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE("image " + std::to_string(images[i].width));
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(static_cast<unsigned char>(file.at(entry)), images[i].width);
    EXPECT_EQ(static_cast<unsigned char>(file.at(entry + 1)), images[i].height);
    EXPECT_EQ(Word(file, entry + 6), 8u);
    const std::uint32_t size = Dword(file, entry + 8);
    const std::uint32_t offset = Dword(file, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    ASSERT_LE(offset + size, file.size());
    ExpectImage(file, offset, images[i]);
    expectedOffset = offset + size;
  }
  EXPECT_EQ(expectedOffset, file.size());
}

}  // namespace
