#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Raster.h"

// One image of an icon file: a BITMAPINFOHEADER with the height doubled, the colour
// pixels bottom row first, then the 1-bit AND mask (1 where the desktop shows).
struct IconImage {
  int size = 0;
  int bitsPerPixel = 0;
  int paletteSize = 0;
  std::string bytes;
};

using Palette16 = std::array<uint32_t, 16>; // 0xRRGGBB

// 32 bits a pixel, blue, green, red, alpha.
IconImage TrueColourImage(const TrueColourPicture &picture);
// 16 colours, 4 bits a pixel, the palette in front of the pixels.
IconImage PalettedImage(const IndexedPicture &picture, const Palette16 &palette);

// The .ico file: its header, one 16-byte directory entry per image, then the images in
// the same order.
std::string IconFileBytes(const std::vector<IconImage> &images);
