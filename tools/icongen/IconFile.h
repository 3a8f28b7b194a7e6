#pragma once
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

using Palette = std::vector<uint32_t>; // 0xRRGGBB, at most 256

// 4 bits a pixel for up to 16 colours, 8 bits for more; the palette, filled up with
// black to 16 or 256 entries, in front of the pixels.
IconImage PalettedImage(const IndexedPicture &picture, const Palette &palette);

// The .ico file: its header, one 16-byte directory entry per image, then the images in
// the same order.
std::string IconFileBytes(const std::vector<IconImage> &images);
