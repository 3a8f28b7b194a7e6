#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// Pictures are drawn as functions of a point in the unit square (x right, y down) and
// sampled on a fixed grid inside every pixel, so the same program always gives the
// same pixels.

// A premultiplied colour with alpha, channels from 0 to 1.
struct Paint {
  double r = 0, g = 0, b = 0, a = 0;
};

Paint Opaque(uint32_t rgb, double alpha = 1);
Paint Over(const Paint &top, const Paint &under);
Paint Mix(uint32_t fromRgb, uint32_t toRgb, double t); // opaque, t from 0 to 1, clamped

struct TrueColourPicture {
  int size = 0;
  std::vector<uint32_t> argb; // rows top first, straight alpha
};

// Palette indices, rows top first; Transparent where the picture shows the desktop.
struct IndexedPicture {
  static constexpr uint8_t Transparent = 0xFF;
  int size = 0;
  std::vector<uint8_t> indices;
};

// `pixel` is the side of one pixel in the unit square, for lines that must stay visible
// at small sizes.
using PaintScene = std::function<Paint(double x, double y, double pixel)>;
using IndexScene = std::function<uint8_t(double x, double y, double pixel)>;

// Each pixel the average of its samples.
TrueColourPicture RenderTrueColour(int size, const PaintScene &scene);
// Each pixel the index most of its samples give, the smaller on a tie: hard edges, as a
// 16-colour icon has them.
IndexedPicture RenderIndexed(int size, const IndexScene &scene);
