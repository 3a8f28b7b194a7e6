#include "IconFile.h"

namespace {

constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t DirectoryEntrySize = 16;
constexpr uint32_t FileHeaderSize = 6;
constexpr uint16_t TypeIcon = 1;

void Put16(std::string &out, uint32_t v) {
  out += char(v & 0xFF);
  out += char(v >> 8 & 0xFF);
}

void Put32(std::string &out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Bitmap rows are padded to whole 32-bit words.
uint32_t RowBytes(int pixels, int bitsPerPixel) { return (uint32_t(pixels) * bitsPerPixel + 31) / 32 * 4; }

std::string InfoHeader(int size, int bitsPerPixel, int paletteSize) {
  const uint32_t imageBytes = (RowBytes(size, bitsPerPixel) + RowBytes(size, 1)) * uint32_t(size);
  std::string h;
  Put32(h, InfoHeaderSize);
  Put32(h, uint32_t(size));
  Put32(h, uint32_t(size) * 2); // colour pixels and mask stacked
  Put16(h, 1);                  // planes
  Put16(h, uint32_t(bitsPerPixel));
  Put32(h, 0); // uncompressed
  Put32(h, imageBytes);
  Put32(h, 0); // no resolution
  Put32(h, 0);
  Put32(h, uint32_t(paletteSize));
  Put32(h, 0); // every colour important
  return h;
}

template <typename IsTransparent> std::string AndMask(int size, IsTransparent transparent) {
  std::string mask;
  for (int y = size - 1; y >= 0; y--) {
    std::string row(RowBytes(size, 1), '\0');
    for (int x = 0; x < size; x++)
      if (transparent(y * size + x))
        row[size_t(x / 8)] = char(row[size_t(x / 8)] | 0x80 >> (x % 8));
    mask += row;
  }
  return mask;
}

} // namespace

IconImage PalettedImage(const IndexedPicture &picture, const Palette &palette) {
  const int size = picture.size, bits = palette.size() <= 16 ? 4 : 8, entries = 1 << bits;
  std::string bytes = InfoHeader(size, bits, entries);
  for (int i = 0; i < entries; i++)
    Put32(bytes, size_t(i) < palette.size() ? palette[size_t(i)] : 0); // B, G, R, reserved
  auto index = [&](int x, int y) {
    uint8_t i = picture.indices[size_t(y * size + x)];
    return i == IndexedPicture::Transparent ? 0 : i; // black under the mask leaves the desktop as it is
  };
  for (int y = size - 1; y >= 0; y--) {
    std::string row(RowBytes(size, bits), '\0');
    for (int x = 0; x < size; x++) // the leftmost pixel in the high bits
      row[size_t(x * bits / 8)] = char(row[size_t(x * bits / 8)] | index(x, y) << (8 - bits - x * bits % 8));
    bytes += row;
  }
  bytes += AndMask(size, [&](int i) { return picture.indices[size_t(i)] == IndexedPicture::Transparent; });
  return {size, bits, entries, bytes};
}

std::string IconFileBytes(const std::vector<IconImage> &images) {
  std::string file;
  Put16(file, 0);
  Put16(file, TypeIcon);
  Put16(file, uint32_t(images.size()));
  uint32_t offset = FileHeaderSize + DirectoryEntrySize * uint32_t(images.size());
  for (const IconImage &image : images) {
    file += char(image.size); // sizes below 256 stand as they are
    file += char(image.size);
    file += char(image.paletteSize & 0xFF); // 256 colours stand as 0
    file += '\0';
    Put16(file, 1); // planes
    Put16(file, uint32_t(image.bitsPerPixel));
    Put32(file, uint32_t(image.bytes.size()));
    Put32(file, offset);
    offset += uint32_t(image.bytes.size());
  }
  for (const IconImage &image : images)
    file += image.bytes;
  return file;
}
