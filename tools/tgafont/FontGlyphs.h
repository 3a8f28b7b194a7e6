#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

// The player's font holds the character codes 32 to 97, one cell each; 97 ("a") is
// never drawn, since texts are upper-cased first, but has a cell all the same.
constexpr int FirstCode = 32;
constexpr int LastDrawnCode = 96;
constexpr int LastCode = 97;
constexpr int CellCount = LastCode - FirstCode + 1;

// Whole pixels, y up from the baseline, as FreeType counts them.
struct PixelBox {
  long long xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  bool Empty() const { return xMax <= xMin || yMax <= yMin; }
  long long Width() const { return xMax - xMin; }
  long long Height() const { return yMax - yMin; }
};

// Coverage from 0 to 255, rows top first.
struct CoverageMask {
  int width = 0, height = 0;
  std::vector<uint8_t> values;
  CoverageMask(int w, int h) : width(w), height(h), values(size_t(w) * h) {}
  uint8_t At(int x, int y) const { return values[size_t(y) * width + x]; }
};

// One character's shapes at the chosen size. A glyph the font lacks has neither.
struct GlyphShapes {
  FT_Glyph fill = nullptr;
  FT_Glyph outer = nullptr; // the fill grown by the outline width; none without an outline
  PixelBox fillBox, outerBox;
  FT_Glyph Outermost() const { return outer ? outer : fill; }
  const PixelBox &OutermostBox() const { return outer ? outerBox : fillBox; }
};

// The outlines of the codes 32 to 97 of one font at one pixel size, unhinted: the
// image then depends on the font alone and not on the hinting of a FreeType version.
class FontGlyphs {
public:
  FontGlyphs() = default;
  FontGlyphs(const FontGlyphs &) = delete;
  FontGlyphs &operator=(const FontGlyphs &) = delete;
  ~FontGlyphs();

  // False with a one-line reason when the file is no usable font.
  bool Load(const std::string &path, int pixelSize, int outlineWidth, std::string &error);
  const GlyphShapes &Shapes(int code) const { return glyphs[size_t(code - FirstCode)]; }
  // Adds the glyph's coverage to the mask with its origin at (x, y), counted from the
  // mask's bottom left corner with y up.
  void Render(FT_Glyph glyph, int x, int y, CoverageMask &mask) const;

private:
  bool LoadShapes(int code, FT_Stroker stroker);

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::vector<GlyphShapes> glyphs;
};
