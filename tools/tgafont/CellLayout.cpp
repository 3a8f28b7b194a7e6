#include "CellLayout.h"

#include <algorithm>

namespace {

PixelBox Union(const PixelBox &a, const PixelBox &b) {
  if (a.Empty())
    return b;
  if (b.Empty())
    return a;
  return {std::min(a.xMin, b.xMin), std::min(a.yMin, b.yMin), std::max(a.xMax, b.xMax),
          std::max(a.yMax, b.yMax)};
}

// Union of the boxes of a range of codes, as `box` gives them.
template <typename BoxOf> PixelBox UnionOver(int first, int last, BoxOf box) {
  PixelBox all;
  for (int code = first; code <= last; code++)
    all = Union(all, box(code));
  return all;
}

// Clear space around every glyph, so that neighbours in a row do not touch and the
// texture's filtering does not carry ink over into the next cell.
long long Margin(long long size) { return 1 + size / 16; }

// The box a glyph takes with its outline and shadow.
PixelBox DrawnBox(const GlyphShapes &shapes, const FontOptions &options) {
  PixelBox box = shapes.OutermostBox();
  if (!options.shadow || box.Empty())
    return box;
  PixelBox shadow{box.xMin + options.shadowX, box.yMin - options.shadowY, box.xMax + options.shadowX,
                  box.yMax - options.shadowY};
  return Union(box, shadow);
}

} // namespace

CellLayout LayOutCells(const FontGlyphs &glyphs, const FontOptions &options) {
  auto drawn = [&](int code) { return DrawnBox(glyphs.Shapes(code), options); };
  long long widest = 0;
  for (int code = FirstCode; code <= LastDrawnCode; code++)
    widest = std::max(widest, drawn(code).Width());
  const PixelBox column = UnionOver(FirstCode, LastCode, drawn);
  CellLayout layout;
  layout.cell = std::max(widest, column.Height()) + 2 * Margin(options.size);
  layout.baseline = (layout.cell - column.Height()) / 2 - column.yMin;
  for (int code = FirstCode; code <= LastCode; code++) {
    const PixelBox box = drawn(code);
    layout.originX.push_back((layout.cell - box.Width()) / 2 - box.xMin);
  }
  // Scroll texts are upper case, so the gradient runs from the capitals' top down to
  // the baseline; descenders take the bottom colour.
  const PixelBox capitals = UnionOver('A', 'Z', [&](int code) { return glyphs.Shapes(code).fillBox; });
  layout.gradientTopRow = layout.cell - (layout.baseline + (capitals.Empty() ? column.yMax : capitals.yMax));
  layout.gradientBottomRow = layout.cell - layout.baseline - 1;
  return layout;
}
