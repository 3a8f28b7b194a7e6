#pragma once
#include <vector>

#include "FontGlyphs.h"
#include "FontOptions.h"

// Where the glyphs stand in their cells. The player draws every cell as a square, so
// the cells are square too and the glyphs keep their proportions.
struct CellLayout {
  long long cell = 0;             // side of a cell in pixels
  long long baseline = 0;         // height of the baseline above a cell's bottom edge
  std::vector<long long> originX; // per code: x of the glyph origin within its cell
  // Rows, top first, where the fill has its top and its bottom colour.
  long long gradientTopRow = 0, gradientBottomRow = 0;
  long long ImageWidth() const { return cell * CellCount; }
};

CellLayout LayOutCells(const FontGlyphs &glyphs, const FontOptions &options);
