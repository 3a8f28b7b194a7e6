#pragma once
#include <cstdint>

#include "StreamUnit/StreamUnit.h"

// The font is a TGA image whose one row of 66 cells holds the glyphs of the codes
// 32 to 97. Decoding is kept apart from the GL upload so that it can be checked
// byte for byte.

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

// Name of the font's texture; 0 while there is none.
extern uint32_t FontTexture;

// Decodes the image that `source` holds and makes it the font texture. Needs a
// current GL context.
void LoadFontTextureFrom(TStream &source);
// Reads the font from the program's own resource "Font".
void LoadFontTexture();
// A linear-filtered texture from 8-bit pixels; `format` is GL_RGB or GL_RGBA.
uint32_t MakeTexture(uint16_t width, uint16_t height, uint32_t format, const void *pixels);
