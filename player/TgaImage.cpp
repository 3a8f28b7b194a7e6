#include "TgaImage.h"

#include <cstdlib>

namespace {
constexpr uint32_t HeaderSize = 18;
constexpr uint8_t TypeTrueColour = 2;
constexpr uint8_t TypeRunLength = 10;
constexpr uint8_t DescriptorTopRowFirst = 0x20;
constexpr uint8_t PacketIsRun = 0x80;
constexpr uint32_t PixelsPerPacket = 128;

struct TgaHeader {
  uint32_t dataOffset;
  uint8_t type;
  uint16_t width;
  uint16_t height;
  uint8_t bytesPerPixel;
  bool topRowFirst;
};

uint16_t Word(const uint8_t *bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

// Pixels follow the image ID field and, when there is one, the colour map.
bool ReadHeader(const uint8_t *bytes, uint32_t size, TgaHeader &header) {
  if (size < HeaderSize)
    return false;
  uint32_t mapBytes = bytes[1] == 1 ? Word(bytes + 5) * ((bytes[7] + 7u) / 8) : 0;
  header.dataOffset = HeaderSize + bytes[0] + mapBytes;
  header.type = bytes[2];
  header.width = Word(bytes + 12);
  header.height = Word(bytes + 14);
  header.bytesPerPixel = uint8_t(bytes[16] / 8);
  header.topRowFirst = (bytes[17] & DescriptorTopRowFirst) != 0;
  bool knownType = header.type == TypeTrueColour || header.type == TypeRunLength;
  bool knownDepth = bytes[16] == 24 || bytes[16] == 32;
  return knownType && knownDepth && header.width && header.height && header.dataOffset <= size;
}

// Stored blue, green, red (alpha); the texture wants red, green, blue (alpha).
void CopyPixel(uint8_t *to, const uint8_t *from, uint8_t bytesPerPixel) {
  to[0] = from[2];
  to[1] = from[1];
  to[2] = from[0];
  if (bytesPerPixel == 4)
    to[3] = from[3];
}

void CopyPixels(uint8_t *to, const uint8_t *from, uint32_t count, uint8_t bytesPerPixel) {
  for (uint32_t i = 0; i < count; i++)
    CopyPixel(to + i * bytesPerPixel, from + i * bytesPerPixel, bytesPerPixel);
}

void RepeatPixel(uint8_t *to, const uint8_t *from, uint32_t count, uint8_t bytesPerPixel) {
  for (uint32_t i = 0; i < count; i++)
    CopyPixel(to + i * bytesPerPixel, from, bytesPerPixel);
}

// A packet that runs past the picture is cut at its end; data that stop before the
// picture is complete fail the whole image.
bool DecodeRunLength(const uint8_t *from, const uint8_t *end, uint8_t *to, uint32_t pixels,
                     uint8_t bytesPerPixel) {
  uint32_t done = 0;
  while (done < pixels) {
    if (from >= end)
      return false;
    uint8_t packet = *from++;
    uint32_t count = (packet & ~PacketIsRun) + 1u;
    if (count > pixels - done)
      count = pixels - done;
    bool run = (packet & PacketIsRun) != 0;
    uint32_t sourceBytes = run ? bytesPerPixel : count * bytesPerPixel;
    if (uint32_t(end - from) < sourceBytes)
      return false;
    if (run)
      RepeatPixel(to + done * bytesPerPixel, from, count, bytesPerPixel);
    else
      CopyPixels(to + done * bytesPerPixel, from, count, bytesPerPixel);
    from += sourceBytes;
    done += count;
  }
  return true;
}

// The smallest number of bytes that can hold the picture; anything less cannot be a
// complete image, so the buffer is never allocated for it.
uint64_t LeastDataSize(const TgaHeader &header, uint64_t pixels) {
  if (header.type == TypeTrueColour)
    return pixels * header.bytesPerPixel;
  uint64_t packets = (pixels + PixelsPerPacket - 1) / PixelsPerPacket;
  return packets * (1u + header.bytesPerPixel);
}

void FlipRows(TFontImage &image) {
  uint32_t rowBytes = uint32_t(image.Width) * image.BytesPerPixel;
  for (uint32_t top = 0, bottom = image.Height - 1u; top < bottom; top++, bottom--) {
    uint8_t *a = image.Pixels + top * rowBytes;
    uint8_t *b = image.Pixels + bottom * rowBytes;
    for (uint32_t i = 0; i < rowBytes; i++) {
      uint8_t t = a[i];
      a[i] = b[i];
      b[i] = t;
    }
  }
}
} // namespace

bool DecodeTga(const uint8_t *bytes, uint32_t size, TFontImage &image) {
  image = TFontImage();
  TgaHeader header;
  if (!ReadHeader(bytes, size, header))
    return false;
  uint64_t pixels = uint64_t(header.width) * header.height;
  uint64_t bufferSize = pixels * header.bytesPerPixel;
  uint32_t available = size - header.dataOffset;
  if (LeastDataSize(header, pixels) > available || bufferSize > 0x7FFFFFFF)
    return false;
  uint8_t *buffer = static_cast<uint8_t *>(malloc(size_t(bufferSize)));
  if (!buffer)
    return false;
  const uint8_t *data = bytes + header.dataOffset;
  if (header.type == TypeTrueColour)
    CopyPixels(buffer, data, uint32_t(pixels), header.bytesPerPixel);
  else if (!DecodeRunLength(data, data + available, buffer, uint32_t(pixels), header.bytesPerPixel)) {
    free(buffer);
    return false;
  }
  image.Width = header.width;
  image.Height = header.height;
  image.BytesPerPixel = header.bytesPerPixel;
  image.Pixels = buffer;
  // Rows go to the texture bottom first, as TGA stores them by default.
  if (header.topRowFirst)
    FlipRows(image);
  return true;
}

void FreeFontImage(TFontImage &image) {
  free(image.Pixels);
  image = TFontImage();
}
