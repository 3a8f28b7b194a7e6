#include <algorithm>
#include <cmath>

#include "IconFile.h"
#include "Icons.h"
#include "Quantise.h"
#include "Shapes.h"

namespace {

constexpr uint32_t SkyTop = 0x1c1050, SkyBottom = 0x040210, Rim = 0x5444b8;
constexpr uint32_t WaveTop = 0xffffd0, WaveBottom = 0xff4000, Glow = 0xff7020; // the demo font's colours
constexpr int StreakCount = 24;
const Wave IntroWave{0.5, 0.17, 1.25, 0.1};

// Streaks fly out from the middle, as the intro's stars fly towards the viewer: dark
// at the inner end, bright at the outer, spread evenly around.
Paint Streaks(double x, double y, double pixel) {
  const double halfWidth = std::max(0.008, 0.3 * pixel);
  Paint p;
  for (int i = 0; i < StreakCount; i++) {
    const Star s = StarAt(i);
    const double angle = 2 * Pi * (i + 0.8 * s.x) / StreakCount, inner = 0.08 + 0.3 * s.y,
                 outer = inner + 0.06 + 0.1 * s.brightness;
    const double ux = std::cos(angle), uy = std::sin(angle);
    if (StrokeDistance(x, y, 0.5 + inner * ux, 0.5 + inner * uy, 0.5 + outer * ux, 0.5 + outer * uy,
                       halfWidth) < 0) {
      const double along = ((x - 0.5) * ux + (y - 0.5) * uy - inner) / (outer - inner);
      p = Over(Opaque(0xffffff, s.brightness * std::clamp(along, 0.0, 1.0)), p);
    }
  }
  return p;
}

Paint WaveLayer(double x, double y, double pixel) {
  const double d = IntroWave.DistanceAt(x, y);
  const double halfWidth = std::max(0.05, 0.9 * pixel), glowWidth = std::max(0.07, 1.5 * pixel);
  if (d < halfWidth) {
    const double top = IntroWave.middle - IntroWave.amplitude - halfWidth;
    return Mix(WaveTop, WaveBottom, (y - top) / (2 * (IntroWave.amplitude + halfWidth)));
  }
  if (d < halfWidth + glowWidth)
    return Opaque(Glow, 0.5 * (1 - (d - halfWidth) / glowWidth));
  return {};
}

Paint IntroScene(double x, double y, double pixel) {
  const double tile = RoundedBoxDistance(x - 0.5, y - 0.5, 0.47, 0.47, 0.18);
  if (tile > 0)
    return {};
  if (tile > -std::max(0.02, 0.6 * pixel))
    return Opaque(Rim);
  const Paint sky = Mix(SkyTop, SkyBottom, y);
  return Over(WaveLayer(x, y, pixel), Over(Streaks(x, y, pixel), sky));
}

} // namespace

std::string IntroIconFile() {
  std::vector<IconImage> images;
  for (int size : {16, 32, 48}) {
    const QuantisedPicture quantised = Quantise(RenderTrueColour(size, IntroScene));
    images.push_back(PalettedImage(quantised.picture, quantised.palette));
  }
  return IconFileBytes(images);
}
