#include <algorithm>
#include <cmath>

#include "IconFile.h"
#include "Icons.h"
#include "Shapes.h"

namespace {

enum Colour : uint8_t {
  Outline,
  TileBody,
  TileRim,
  WaveEdge,
  WaveBody,
  WaveCore,
  SteelDark,
  SteelMid,
  SteelLight,
  Shine,
  StarDim,
};

const Palette BuilderPalette{0x000000, 0x0c2036, 0x4a8ac0, 0xa03000, 0xff6a18, 0xffe27a,
                             0x5e6874, 0x98a2ae, 0xccd4dc, 0xffffff, 0x5a7898};

constexpr int StarCount = 14;
const Wave BuilderWave{0.58, 0.15, 1.0, 0.15};

// The wrench lies from the lower left to its open jaw at the upper right; u runs along
// it from the jaw's centre outwards, v across it towards the lower right.
constexpr double HeadX = 0.67, HeadY = 0.33, HeadRadius = 0.17, TailX = 0.2, TailY = 0.8;
constexpr double HandleHalfWidth = 0.065, JawHalfWidth = 0.065, HoleRadius = 0.035;
constexpr double Diagonal = 0.70710678118654752440;

double WrenchDistance(double u, double v, double x, double y) {
  const double handle = StrokeDistance(x, y, TailX, TailY, HeadX, HeadY, HandleHalfWidth);
  const double head = CircleDistance(x, y, HeadX, HeadY, HeadRadius);
  const double jaw = RoundedBoxDistance(u - HeadRadius, v, HeadRadius + 0.02, JawHalfWidth, 0.0);
  const double hole = CircleDistance(x, y, TailX, TailY, HoleRadius);
  return std::max({std::min(handle, head), -jaw, -hole});
}

// Lit from the upper left: bright along that side of the handle and of the head.
Colour Steel(double u, double v) {
  const double extent = std::hypot(u, v) < HeadRadius ? HeadRadius : HandleHalfWidth;
  const double lit = -v / extent; // 1 at the upper left edge, -1 at the lower right
  if (lit > 0.7)
    return Shine;
  if (lit > 0.25)
    return SteelLight;
  return lit > -0.45 ? SteelMid : SteelDark;
}

uint8_t Sky(double x, double y, double pixel) {
  for (int i = 0; i < StarCount; i++) {
    const Star s = StarAt(i);
    if (CircleDistance(x, y, s.x, s.y, std::max(0.015, 0.75 * pixel)) < 0)
      return s.brightness > 0.8 ? Shine : StarDim;
  }
  return TileBody;
}

uint8_t WaveColour(double d, double pixel) {
  const double halfWidth = std::max(0.055, pixel);
  if (d < 0.4 * halfWidth)
    return WaveCore;
  if (d < halfWidth)
    return WaveBody;
  return d < halfWidth + std::max(0.03, pixel) ? uint8_t(WaveEdge) : IndexedPicture::Transparent;
}

uint8_t BuilderScene(double x, double y, double pixel) {
  const double tile = RoundedBoxDistance(x - 0.5, y - 0.5, 0.47, 0.47, 0.16);
  if (tile > 0)
    return IndexedPicture::Transparent;
  const double u = ((x - HeadX) - (y - HeadY)) * Diagonal, v = ((x - HeadX) + (y - HeadY)) * Diagonal;
  const double wrench = WrenchDistance(u, v, x, y);
  if (wrench < 0)
    return Steel(u, v);
  if (wrench < std::max(0.03, 1.2 * pixel))
    return Outline;
  if (tile > -std::max(0.03, 1.2 * pixel))
    return TileRim;
  const uint8_t wave = WaveColour(BuilderWave.DistanceAt(x, y), pixel);
  return wave != IndexedPicture::Transparent ? wave : Sky(x, y, pixel);
}

} // namespace

std::string BuilderIconFile() {
  return IconFileBytes({PalettedImage(RenderIndexed(48, BuilderScene), BuilderPalette)});
}
