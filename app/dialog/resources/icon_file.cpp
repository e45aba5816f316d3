#include "app/dialog/resources/icon_file.h"

namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kHeaderBytes = 40;
constexpr std::size_t kColours = 256;

void PutWord(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFFu);
  out += static_cast<char>((value >> 8) & 0xFFu);
}

void PutDword(std::string& out, unsigned long value) {
  PutWord(out, static_cast<unsigned>(value & 0xFFFFu));
  PutWord(out, static_cast<unsigned>((value >> 16) & 0xFFFFu));
}

// Bitmap rows are padded to whole 32-bit words.
std::size_t RowBytes(int width, int bitsPerPixel) {
  constexpr std::size_t kWordBits = 32;
  const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
  return (bits + kWordBits - 1) / kWordBits * (kWordBits / 8);
}

std::size_t ImageBytes(const framework::IconImage& image) {
  const auto height = static_cast<std::size_t>(image.height);
  return kHeaderBytes + kColours * 4 + (RowBytes(image.width, 8) + RowBytes(image.width, 1)) * height;
}

bool Transparent(const framework::IconImage& image, std::size_t index) {
  constexpr unsigned kAlphaShift = 24;
  return (image.palette[image.pixels[index]] >> kAlphaShift) == 0;
}

// A bitmap header of twice the height (colours, then mask), the colour
// table, the colour rows and the mask rows, both bottom to top.
void PutImage(std::string& out, const framework::IconImage& image) {
  const auto width = static_cast<std::size_t>(image.width);
  PutDword(out, kHeaderBytes);
  PutDword(out, static_cast<unsigned long>(image.width));
  PutDword(out, static_cast<unsigned long>(image.height) * 2);
  PutWord(out, 1);   // planes
  PutWord(out, 8);   // bits per pixel
  PutDword(out, 0);  // no compression
  PutDword(out, static_cast<unsigned long>(ImageBytes(image) - kHeaderBytes - kColours * 4));
  for (int i = 0; i < 4; ++i) PutDword(out, 0);  // resolution, colours used (all), important
  for (std::size_t i = 0; i < kColours; ++i) {
    const unsigned long argb = i < image.palette.size() ? image.palette[i] : 0;
    out += static_cast<char>(argb & 0xFFu);
    out += static_cast<char>((argb >> 8) & 0xFFu);
    out += static_cast<char>((argb >> 16) & 0xFFu);
    out += '\0';
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::string row(RowBytes(image.width, 8), '\0');
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      row[x] = Transparent(image, at) ? '\0' : static_cast<char>(image.pixels[at]);  // index 0 is black
    }
    out += row;
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::string row(RowBytes(image.width, 1), '\0');
    for (std::size_t x = 0; x < width; ++x) {
      if (Transparent(image, static_cast<std::size_t>(y) * width + x)) {
        row[x / 8] = static_cast<char>(static_cast<unsigned char>(row[x / 8]) | (0x80u >> (x % 8)));
      }
    }
    out += row;
  }
}

}  // namespace

std::string IconFileBytes(const std::vector<framework::IconImage>& images) {
  std::string out;
  PutWord(out, 0);
  PutWord(out, 1);  // an icon
  PutWord(out, static_cast<unsigned>(images.size()));
  std::size_t offset = kDirectoryBytes + kEntryBytes * images.size();
  for (const framework::IconImage& image : images) {
    out += static_cast<char>(image.width < 256 ? image.width : 0);
    out += static_cast<char>(image.height < 256 ? image.height : 0);
    out += '\0';  // 256 colours
    out += '\0';
    PutWord(out, 1);
    PutWord(out, 8);
    PutDword(out, static_cast<unsigned long>(ImageBytes(image)));
    PutDword(out, static_cast<unsigned long>(offset));
    offset += ImageBytes(image);
  }
  for (const framework::IconImage& image : images) PutImage(out, image);
  return out;
}
