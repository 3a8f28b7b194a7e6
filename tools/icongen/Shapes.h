#pragma once

constexpr double Pi = 3.14159265358979323846;

// Signed distances in the unit square: negative inside a shape, positive outside.

double CircleDistance(double x, double y, double cx, double cy, double radius);
// A box with rounded corners; (dx, dy) is the point's offset from the box's centre.
double RoundedBoxDistance(double dx, double dy, double halfWidth, double halfHeight, double cornerRadius);
// A line from (ax, ay) to (bx, by) of the given half width, with round ends.
double StrokeDistance(double x, double y, double ax, double ay, double bx, double by, double halfWidth);

// The wave both icons carry: a sine about y = `middle` across the square.
struct Wave {
  double middle, amplitude, periods, phase;
  double HeightAt(double x) const;
  // Distance from the curve, measured across it rather than straight down.
  double DistanceAt(double x, double y) const;
};

// A fixed scatter of points, the same on every run: x and y in the unit square and a
// brightness from 0.5 to 1.
struct Star {
  double x, y, brightness;
};
Star StarAt(int index);
