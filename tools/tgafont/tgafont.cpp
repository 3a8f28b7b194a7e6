// tgafont FONT.ttf OUT.tga [--size PX] [--colour RRGGBB] [--gradient RRGGBB:RRGGBB]
//                          [--outline PX] [--shadow DX,DY] [--soft-edges]
// Makes the intro's font picture from a TrueType or OpenType font: 66 square cells in
// one row for the character codes 32 to 97, 32 bits, every pixel opaque or transparent
// black unless --soft-edges keeps the edges' levels. The shadow's DY counts
// downwards; of --colour and --gradient the last one given counts. Exit 1 with one line
// on stderr for an unusable font, a size that does not fit or a failed write; exit 2
// with the usage for bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CellLayout.h"
#include "FontGlyphs.h"
#include "FontOptions.h"
#include "SheetDrawing.h"
#include "TgaEncode.h"
#include "WholeFile.h"

namespace {

// TGA keeps width and height in 16 bits.
constexpr long long MaxTgaSide = 65535;

[[noreturn]] void Fail(const std::string &why) {
  std::fprintf(stderr, "tgafont: %s\n", why.c_str());
  std::exit(1);
}

// Numbers beyond a TGA's side cannot give a picture that fits; refusing them here keeps
// FreeType away from sizes it cannot scale to.
void RefuseImpossibleSizes(const FontOptions &o) {
  if (o.size < 1)
    Fail("--size must be at least 1 pixel, not " + std::to_string(o.size));
  if (o.size > MaxTgaSide || o.outline > MaxTgaSide || std::llabs(o.shadowX) > MaxTgaSide ||
      std::llabs(o.shadowY) > MaxTgaSide)
    Fail("the glyphs would not fit in a TGA at most " + std::to_string(MaxTgaSide) + " pixels wide");
}

void RefuseWideImage(const CellLayout &layout, const FontOptions &o) {
  if (layout.ImageWidth() > MaxTgaSide)
    Fail("at size " + std::to_string(o.size) + " the cells are " + std::to_string(layout.cell) +
         " pixels wide; 66 of them exceed the " + std::to_string(MaxTgaSide) + " pixels a TGA can hold");
}
} // namespace

int main(int argc, char **argv) {
  const FontOptions options = ParseFontOptions(argc, argv);
  RefuseImpossibleSizes(options);
  FontGlyphs glyphs;
  std::string error;
  if (!glyphs.Load(options.fontPath, int(options.size), int(options.outline), error))
    Fail(error);
  const CellLayout layout = LayOutCells(glyphs, options);
  RefuseWideImage(layout, options);
  if (!WriteWholeFile(options.outputPath, EncodeTga(DrawSheet(glyphs, layout, options))))
    Fail("cannot write: " + options.outputPath);
  return 0;
}
