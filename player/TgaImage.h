#pragma once
#include <cstdint>

// The font's TGA image, decoded apart from the GL upload so that it can be checked
// byte for byte and read by the builder's checks without a GL context.

// A decoded picture, rows bottom first, pixels red, green, blue (and alpha).
struct TFontImage {
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t BytesPerPixel = 0; // 3 or 4
  uint8_t *Pixels = nullptr; // malloc'd; FreeFontImage releases it
};

// Decodes an uncompressed (type 2) or run-length encoded (type 10) true-colour TGA of
// 24 or 32 bits. Anything else, and data that end before the picture is complete,
// give false and no pixels: no texture is better than one made of garbage.
bool DecodeTga(const uint8_t *bytes, uint32_t size, TFontImage &image);
void FreeFontImage(TFontImage &image);
