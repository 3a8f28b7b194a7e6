#pragma once
#include <vector>

#include "CellLayout.h"
#include "Rgba.h"

// The whole font picture, rows top first.
struct Sheet {
  int width = 0, height = 0;
  std::vector<Rgba> pixels;
};

// Draws every glyph into its cell: the shadow, over it the outline, over that the fill.
// Where nothing is drawn the sheet stays transparent black.
Sheet DrawSheet(const FontGlyphs &glyphs, const CellLayout &layout, const FontOptions &options);
