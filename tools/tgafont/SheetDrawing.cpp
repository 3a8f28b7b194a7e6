#include "SheetDrawing.h"

#include <algorithm>

namespace {

// The player shows a texel wholly or not at all (alpha above 0.4), so outline and
// shadow are opaque colours: black around the glyph, and a shadow that stays visible
// on the intro's black sky.
constexpr Rgba OutlineColour{0, 0, 0, 255};
constexpr Rgba ShadowColour{56, 48, 96, 255};

// The player samples the font with linear filtering, which blends neighbouring texels
// anyway: 16 coverage steps keep every edge within 1/30 of its exact tone, and the
// packer finds the few colours that remain again and again.
constexpr int CoverageSteps = 15;
uint8_t StepCoverage(uint8_t coverage) {
  return uint8_t((coverage * CoverageSteps + 127) / 255 * (255 / CoverageSteps));
}

Rgba WithCoverage(Rgba colour, uint8_t coverage) {
  colour.a = uint8_t((colour.a * coverage + 127) / 255);
  return colour;
}

// The player draws a texel where its alpha is above 0.4 and never blends, so alpha
// levels only cost bytes: what the test would keep becomes opaque, the rest
// transparent black.
constexpr uint8_t AlphaTestLimit = 102; // 0.4 of 255
Rgba OpaqueOrClear(const Rgba &pixel) {
  if (pixel.a <= AlphaTestLimit)
    return {};
  return {pixel.r, pixel.g, pixel.b, 255};
}

// Porter-Duff "over" on straight colours, in integers so the result is the same everywhere.
Rgba Over(const Rgba &top, const Rgba &under) {
  const int alpha = top.a * 255 + under.a * (255 - top.a); // 255 times the result's alpha
  if (alpha == 0)
    return {};
  auto mix = [&](int t, int u) {
    return uint8_t((t * top.a * 255 + u * under.a * (255 - top.a) + alpha / 2) / alpha);
  };
  return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), uint8_t((alpha + 127) / 255)};
}

uint8_t Blend(uint8_t from, uint8_t to, long long step, long long steps) {
  return uint8_t(from + ((to - from) * step * 2 + (to > from ? steps : -steps)) / (2 * steps));
}

// The fill colour of one row of a cell: the top colour down to the capitals' top, the
// bottom colour from the baseline on, blended between.
Rgba FillColour(const FontOptions &options, const CellLayout &layout, int row) {
  const long long steps = std::max(1LL, layout.gradientBottomRow - layout.gradientTopRow);
  const long long step = std::clamp<long long>(row - layout.gradientTopRow, 0, steps);
  return {Blend(options.top.r, options.bottom.r, step, steps),
          Blend(options.top.g, options.bottom.g, step, steps),
          Blend(options.top.b, options.bottom.b, step, steps), 255};
}

// One layer of a cell: the glyph's coverage with its origin at (x, baseline).
CoverageMask Layer(const FontGlyphs &glyphs, FT_Glyph glyph, const CellLayout &layout, long long x,
                   long long baseline) {
  const int side = int(layout.cell);
  CoverageMask mask(side, side);
  if (glyph)
    glyphs.Render(glyph, int(x), int(baseline), mask);
  return mask;
}

void DrawCell(Sheet &sheet, int code, const FontGlyphs &glyphs, const CellLayout &layout,
              const FontOptions &options) {
  const GlyphShapes &shapes = glyphs.Shapes(code);
  const long long x = layout.originX[size_t(code - FirstCode)];
  const CoverageMask fill = Layer(glyphs, shapes.fill, layout, x, layout.baseline);
  const CoverageMask outline = Layer(glyphs, shapes.outer, layout, x, layout.baseline);
  const CoverageMask shadow = options.shadow ? Layer(glyphs, shapes.Outermost(), layout, x + options.shadowX,
                                                     layout.baseline - options.shadowY)
                                             : CoverageMask(fill.width, fill.height);
  const int left = int(code - FirstCode) * fill.width;
  auto coverage = [&](const CoverageMask &mask, int column, int row) {
    const uint8_t exact = mask.At(column, row);
    return options.softEdges ? exact : StepCoverage(exact);
  };
  for (int row = 0; row < fill.height; row++) {
    const Rgba fillColour = FillColour(options, layout, row);
    for (int column = 0; column < fill.width; column++) {
      Rgba pixel = WithCoverage(ShadowColour, coverage(shadow, column, row));
      pixel = Over(WithCoverage(OutlineColour, coverage(outline, column, row)), pixel);
      pixel = Over(WithCoverage(fillColour, coverage(fill, column, row)), pixel);
      sheet.pixels[size_t(row) * sheet.width + left + column] =
          options.softEdges ? pixel : OpaqueOrClear(pixel);
    }
  }
}

} // namespace

Sheet DrawSheet(const FontGlyphs &glyphs, const CellLayout &layout, const FontOptions &options) {
  Sheet sheet;
  sheet.width = int(layout.ImageWidth());
  sheet.height = int(layout.cell);
  sheet.pixels.resize(size_t(sheet.width) * sheet.height);
  for (int code = FirstCode; code <= LastCode; code++)
    DrawCell(sheet, code, glyphs, layout, options);
  return sheet;
}
