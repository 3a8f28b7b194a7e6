#include "FontGlyphs.h"

#include FT_OUTLINE_H

namespace {

constexpr FT_Pos SubpixelsPerPixel = 64; // FreeType's 26.6 fixed point

PixelBox BoxOf(FT_Glyph glyph) {
  FT_BBox box;
  FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
  return {box.xMin, box.yMin, box.xMax, box.yMax};
}

// Holds a stroker for the time of loading; none is made without an outline.
struct StrokerHolder {
  FT_Stroker stroker = nullptr;
  ~StrokerHolder() { FT_Stroker_Done(stroker); }
};

} // namespace

FontGlyphs::~FontGlyphs() {
  for (GlyphShapes &g : glyphs) {
    FT_Done_Glyph(g.fill);
    FT_Done_Glyph(g.outer);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

bool FontGlyphs::Load(const std::string &path, int pixelSize, int outlineWidth, std::string &error) {
  if (FT_Init_FreeType(&library)) {
    error = "FreeType does not start";
    return false;
  }
  FT_Error opened = FT_New_Face(library, path.c_str(), 0, &face);
  if (opened) {
    error = (opened == FT_Err_Cannot_Open_Resource ? "cannot read: " : "not a font: ") + path;
    return false;
  }
  if (!FT_IS_SCALABLE(face) || FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize))) {
    error = "not a scalable font: " + path;
    return false;
  }
  StrokerHolder holder;
  if (outlineWidth > 0) {
    FT_Stroker_New(library, &holder.stroker);
    FT_Stroker_Set(holder.stroker, FT_Fixed(outlineWidth) * SubpixelsPerPixel, FT_STROKER_LINECAP_ROUND,
                   FT_STROKER_LINEJOIN_ROUND, 0);
  }
  glyphs.resize(CellCount);
  bool anyGlyph = false;
  for (int code = FirstCode; code <= LastCode; code++)
    anyGlyph |= LoadShapes(code, holder.stroker);
  if (!anyGlyph)
    error = "no glyphs for the characters 32 to 97: " + path;
  return anyGlyph;
}

// A glyph that is missing, or not an outline, leaves its cell empty.
bool FontGlyphs::LoadShapes(int code, FT_Stroker stroker) {
  GlyphShapes &g = glyphs[size_t(code - FirstCode)];
  FT_UInt index = FT_Get_Char_Index(face, FT_ULong(code));
  if (!index || FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ||
      FT_Get_Glyph(face->glyph, &g.fill))
    return false;
  if (g.fill->format != FT_GLYPH_FORMAT_OUTLINE) {
    FT_Done_Glyph(g.fill);
    g.fill = nullptr;
    return false;
  }
  g.fillBox = BoxOf(g.fill);
  // The outside border of a stroke encloses the glyph and the stroke around it.
  if (stroker && !FT_Glyph_Copy(g.fill, &g.outer)) {
    if (FT_Glyph_StrokeBorder(&g.outer, stroker, 0, 1)) {
      FT_Done_Glyph(g.outer);
      g.outer = nullptr;
    } else {
      g.outerBox = BoxOf(g.outer);
    }
  }
  return true;
}

void FontGlyphs::Render(FT_Glyph glyph, int x, int y, CoverageMask &mask) const {
  FT_Outline &outline = reinterpret_cast<FT_OutlineGlyph>(glyph)->outline;
  FT_Bitmap target{};
  target.rows = unsigned(mask.height);
  target.width = unsigned(mask.width);
  target.pitch = mask.width;
  target.buffer = mask.values.data();
  target.num_grays = 256;
  target.pixel_mode = FT_PIXEL_MODE_GRAY;
  const FT_Pos dx = FT_Pos(x) * SubpixelsPerPixel, dy = FT_Pos(y) * SubpixelsPerPixel;
  FT_Outline_Translate(&outline, dx, dy);
  FT_Outline_Get_Bitmap(library, &outline, &target);
  FT_Outline_Translate(&outline, -dx, -dy);
}
