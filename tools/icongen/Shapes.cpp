#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
// An integer hash with well-mixed bits (lowbias32), so neighbouring numbers give
// unrelated points.
uint32_t Scramble(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352du;
  v ^= v >> 15;
  v *= 0x846ca68bu;
  return v ^ v >> 16;
}
} // namespace

double CircleDistance(double x, double y, double cx, double cy, double radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

double RoundedBoxDistance(double dx, double dy, double halfWidth, double halfHeight, double cornerRadius) {
  const double qx = std::fabs(dx) - (halfWidth - cornerRadius),
               qy = std::fabs(dy) - (halfHeight - cornerRadius);
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - cornerRadius;
}

double StrokeDistance(double x, double y, double ax, double ay, double bx, double by, double halfWidth) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(x - (ax + t * dx), y - (ay + t * dy)) - halfWidth;
}

double Wave::HeightAt(double x) const {
  return middle - amplitude * std::sin(2 * Pi * (periods * x + phase));
}

double Wave::DistanceAt(double x, double y) const {
  const double slope = -amplitude * 2 * Pi * periods * std::cos(2 * Pi * (periods * x + phase));
  return std::fabs(y - HeightAt(x)) / std::sqrt(1 + slope * slope);
}

Star StarAt(int index) {
  auto unit = [index](uint32_t channel) { return Scramble(uint32_t(index) * 3 + channel) / 4294967296.0; };
  return {unit(0), unit(1), 0.5 + 0.5 * unit(2)};
}
