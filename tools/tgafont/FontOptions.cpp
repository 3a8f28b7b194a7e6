#include "FontOptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char *const Usage =
    "usage: tgafont FONT.ttf OUT.tga [--size PX] [--colour RRGGBB] [--gradient RRGGBB:RRGGBB]\n"
    "               [--outline PX] [--shadow DX,DY] [--soft-edges]\n";

[[noreturn]] void UsageError(const std::string &why) {
  std::fprintf(stderr, "tgafont: %s\n%s", why.c_str(), Usage);
  std::exit(2);
}

// Whole decimal integers only. Values beyond the range of long long come back clamped,
// which is still far too large for any image and is refused as such later.
bool ParseInteger(const char *text, long long &value) {
  char *end = nullptr;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0';
}

bool ParseColour(const std::string &text, Rgba &colour) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
  colour = {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
  return true;
}

// Splits "A<separator>B" at its only separator.
bool SplitPair(const std::string &text, char separator, std::string &first, std::string &second) {
  size_t at = text.find(separator);
  if (at == std::string::npos || text.find(separator, at + 1) != std::string::npos)
    return false;
  first = text.substr(0, at);
  second = text.substr(at + 1);
  return true;
}

void ApplyOption(FontOptions &o, const std::string &name, const char *value) {
  std::string first, second;
  if (name == "--size") {
    if (!ParseInteger(value, o.size))
      UsageError("--size wants a whole number of pixels");
  } else if (name == "--colour") {
    if (!ParseColour(value, o.top))
      UsageError("--colour wants RRGGBB in hexadecimal");
    o.bottom = o.top;
  } else if (name == "--gradient") {
    if (!SplitPair(value, ':', first, second) || !ParseColour(first, o.top) || !ParseColour(second, o.bottom))
      UsageError("--gradient wants TOP:BOTTOM, each RRGGBB in hexadecimal");
  } else if (name == "--outline") {
    if (!ParseInteger(value, o.outline) || o.outline < 0)
      UsageError("--outline wants a width of 0 or more pixels");
  } else if (name == "--shadow") {
    o.shadow = SplitPair(value, ',', first, second) && ParseInteger(first.c_str(), o.shadowX) &&
               ParseInteger(second.c_str(), o.shadowY);
    if (!o.shadow)
      UsageError("--shadow wants DX,DY in whole pixels");
  } else {
    UsageError("unknown option " + name);
  }
}

} // namespace

FontOptions ParseFontOptions(int argc, char **argv) {
  FontOptions o;
  int positional = 0;
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--soft-edges") {
      o.softEdges = true;
    } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (i + 1 >= argc)
        UsageError(arg + " wants a value");
      ApplyOption(o, arg, argv[++i]);
    } else if (positional == 0) {
      o.fontPath = arg, positional++;
    } else if (positional == 1) {
      o.outputPath = arg, positional++;
    } else {
      UsageError("too many arguments");
    }
  }
  if (positional != 2)
    UsageError("wants a font and an output file");
  return o;
}
