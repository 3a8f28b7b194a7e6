#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SamplesPerSide = 4;

double Channel(uint32_t rgb, int shift) { return double(rgb >> shift & 0xFF) / 255; }

uint32_t Byte(double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

template <typename Visit> void ForEachSample(int size, int px, int py, Visit visit) {
  for (int sy = 0; sy < SamplesPerSide; sy++)
    for (int sx = 0; sx < SamplesPerSide; sx++)
      visit((px + (sx + 0.5) / SamplesPerSide) / size, (py + (sy + 0.5) / SamplesPerSide) / size);
}

uint32_t StraightArgb(const Paint &p) {
  if (p.a <= 0)
    return 0;
  return Byte(p.a) << 24 | Byte(p.r / p.a) << 16 | Byte(p.g / p.a) << 8 | Byte(p.b / p.a);
}

} // namespace

Paint Opaque(uint32_t rgb, double alpha) {
  return {Channel(rgb, 16) * alpha, Channel(rgb, 8) * alpha, Channel(rgb, 0) * alpha, alpha};
}

Paint Over(const Paint &top, const Paint &under) {
  const double keep = 1 - top.a;
  return {top.r + under.r * keep, top.g + under.g * keep, top.b + under.b * keep, top.a + under.a * keep};
}

Paint Mix(uint32_t fromRgb, uint32_t toRgb, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const Paint from = Opaque(fromRgb), to = Opaque(toRgb);
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t, 1};
}

TrueColourPicture RenderTrueColour(int size, const PaintScene &scene) {
  TrueColourPicture picture{size, {}};
  const double pixel = 1.0 / size, share = 1.0 / (SamplesPerSide * SamplesPerSide);
  for (int py = 0; py < size; py++)
    for (int px = 0; px < size; px++) {
      Paint sum;
      ForEachSample(size, px, py, [&](double x, double y) {
        const Paint p = scene(x, y, pixel);
        sum = {sum.r + p.r * share, sum.g + p.g * share, sum.b + p.b * share, sum.a + p.a * share};
      });
      picture.argb.push_back(StraightArgb(sum));
    }
  return picture;
}

IndexedPicture RenderIndexed(int size, const IndexScene &scene) {
  IndexedPicture picture{size, {}};
  const double pixel = 1.0 / size;
  for (int py = 0; py < size; py++)
    for (int px = 0; px < size; px++) {
      int votes[256] = {};
      ForEachSample(size, px, py, [&](double x, double y) { votes[scene(x, y, pixel)]++; });
      picture.indices.push_back(uint8_t(std::max_element(votes, votes + 256) - votes));
    }
  return picture;
}
