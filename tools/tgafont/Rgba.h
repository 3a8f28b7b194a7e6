#pragma once
#include <cstdint>

// A straight (not premultiplied) colour with alpha, 8 bits a channel.
struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba &o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
