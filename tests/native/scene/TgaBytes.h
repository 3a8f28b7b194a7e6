#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Writes TGA files for the tests: headers, raw pixels, and run-length packets made the
// way an image editor makes them.
namespace tga {

struct Pixel {
  uint8_t b, g, r, a;
  bool operator==(const Pixel &o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};

enum : uint8_t { Raw = 2, RunLength = 10, TopRowFirst = 0x20 };

inline std::string Header(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                          uint8_t descriptor = 0, const std::string &id = "") {
  std::string h(18, '\0');
  h[0] = char(id.size());
  h[2] = char(type);
  h[12] = char(width & 0xFF);
  h[13] = char(width >> 8);
  h[14] = char(height & 0xFF);
  h[15] = char(height >> 8);
  h[16] = char(depth);
  h[17] = char(descriptor);
  return h + id;
}

inline std::string PixelBytes(const Pixel &p, uint8_t depth) {
  std::string bytes{char(p.b), char(p.g), char(p.r)};
  if (depth == 32)
    bytes += char(p.a);
  return bytes;
}

inline std::string RawPixels(const std::vector<Pixel> &pixels, uint8_t depth) {
  std::string bytes;
  for (const Pixel &p : pixels)
    bytes += PixelBytes(p, depth);
  return bytes;
}

inline std::string RunPacket(const Pixel &p, size_t count, uint8_t depth) {
  return char(0x80 | (count - 1)) + PixelBytes(p, depth);
}

inline std::string RawPacket(const std::vector<Pixel> &pixels, size_t from, size_t count, uint8_t depth) {
  return char(count - 1) + RawPixels({pixels.begin() + from, pixels.begin() + from + count}, depth);
}

// Runs of two or more equal pixels become run packets, everything between them raw
// packets; no packet holds more than 128 pixels.
inline std::string EncodeRunLength(const std::vector<Pixel> &pixels, uint8_t depth) {
  std::string out;
  size_t i = 0, rawStart = 0;
  auto flushRaw = [&](size_t end) {
    for (size_t from = rawStart; from < end; from += 128)
      out += RawPacket(pixels, from, std::min<size_t>(128, end - from), depth);
  };
  while (i < pixels.size()) {
    size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i])
      run++;
    if (run >= 2) {
      flushRaw(i);
      out += RunPacket(pixels[i], run, depth);
      rawStart = i + run;
    }
    i += run;
  }
  flushRaw(pixels.size());
  return out;
}

constexpr int FontCells = 66;

// A font of 66 square cells of `cell` pixels, each cell filled by `colour`(code, x)
// with x counted from the cell's left edge.
inline std::vector<Pixel> FontPixels(int cell, const std::function<Pixel(int code, int x)> &colour) {
  std::vector<Pixel> pixels;
  for (int y = 0; y < cell; y++)
    for (int x = 0; x < FontCells * cell; x++)
      pixels.push_back(colour(32 + x / cell, x % cell));
  return pixels;
}

inline std::string Font(uint8_t depth, int cell, const std::function<Pixel(int code, int x)> &colour) {
  return Header(Raw, uint16_t(FontCells * cell), uint16_t(cell), depth) +
         RawPixels(FontPixels(cell, colour), depth);
}

} // namespace tga
