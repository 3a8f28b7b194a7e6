#pragma once
#include <string>

#include "Rgba.h"

// What the command line asks for. Numbers are kept as given, so that a size of 0 or one
// far too large is reported as a size that does not fit rather than as bad usage.
struct FontOptions {
  std::string fontPath;
  std::string outputPath;
  // Pixels per em. At 26, DejaVu Sans fills cells of 32 pixels, and 66 of them come
  // close to the 2048 pixels the player's texture is scaled to.
  long long size = 26;
  Rgba top{255, 255, 255, 255};
  Rgba bottom{255, 255, 255, 255};
  long long outline = 0;
  bool shadow = false;
  long long shadowX = 0;
  long long shadowY = 0; // down is positive, as on the screen
  // Every coverage and alpha level as drawn, for programs that blend; the intro only
  // tests alpha against 0.4 and draws nearly the same pixels from half the packed bytes.
  bool softEdges = false;
};

// Reads the command line; bad usage prints the usage text and exits with 2.
FontOptions ParseFontOptions(int argc, char **argv);
