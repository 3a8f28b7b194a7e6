#pragma once
#include <cstdint>

#include "StreamUnit/StreamUnit.h"

// The font is one texture of 66 glyph cells in a row, the codes 32 to 97, made
// from the TGA image that the intro carries (TgaImage.h decodes it).

// Name of the font's texture; 0 while there is none.
extern uint32_t FontTexture;

// Decodes the image that `source` holds and makes it the font texture. Needs a
// current GL context.
void LoadFontTextureFrom(TStream &source);
// Reads the font from the program's own resource "Font".
void LoadFontTexture();
// A linear-filtered texture from 8-bit pixels; `format` is GL_RGB or GL_RGBA.
uint32_t MakeTexture(uint16_t width, uint16_t height, uint32_t format, const void *pixels);
