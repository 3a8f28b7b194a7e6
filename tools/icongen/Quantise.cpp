#include "Quantise.h"

#include <algorithm>

namespace {

// Index 255 marks the desktop in an indexed picture, so it names no colour.
constexpr size_t MaxColours = IndexedPicture::Transparent;
constexpr uint32_t ShownAlpha = 0x80;

int Channel(uint32_t rgb, int channel) { return int(rgb >> (16 - 8 * channel) & 0xFF); } // 0 red .. 2 blue

// One entry per pixel, so that the colours most pixels have weigh the most.
using Box = std::vector<uint32_t>;

int Extent(const Box &box, int channel) {
  auto [low, high] = std::minmax_element(box.begin(), box.end(), [channel](uint32_t a, uint32_t b) {
    return Channel(a, channel) < Channel(b, channel);
  });
  return Channel(*high, channel) - Channel(*low, channel);
}

int WidestChannel(const Box &box) {
  int widest = 0;
  for (int channel = 1; channel < 3; channel++)
    if (Extent(box, channel) > Extent(box, widest))
      widest = channel;
  return widest;
}

// Splits the box at its median along its widest channel, at a place where that channel
// changes, so that one colour never ends up in two boxes.
Box SplitOff(Box &box) {
  const int channel = WidestChannel(box);
  std::sort(box.begin(), box.end(), [channel](uint32_t a, uint32_t b) {
    return Channel(a, channel) != Channel(b, channel) ? Channel(a, channel) < Channel(b, channel) : a < b;
  });
  size_t cut = box.size() / 2;
  while (cut < box.size() && Channel(box[cut], channel) == Channel(box[cut - 1], channel))
    cut++;
  while (cut == box.size() || Channel(box[cut], channel) == Channel(box[cut - 1], channel))
    cut--;
  Box upper(box.begin() + long(cut), box.end());
  box.resize(cut);
  return upper;
}

uint32_t Mean(const Box &box) {
  uint32_t rgb = 0;
  for (int channel = 0; channel < 3; channel++) {
    uint64_t sum = 0;
    for (uint32_t colour : box)
      sum += uint64_t(Channel(colour, channel));
    rgb |= uint32_t((sum + box.size() / 2) / box.size()) << (16 - 8 * channel);
  }
  return rgb;
}

// The widest boxes are cut first, until there are enough or every box holds one colour.
Palette MedianCut(Box colours) {
  std::vector<Box> boxes{std::move(colours)};
  while (boxes.size() < MaxColours) {
    auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box &a, const Box &b) {
      return Extent(a, WidestChannel(a)) < Extent(b, WidestChannel(b));
    });
    if (Extent(*widest, WidestChannel(*widest)) == 0)
      break;
    Box upper = SplitOff(*widest);
    boxes.push_back(std::move(upper));
  }
  Palette palette;
  for (const Box &box : boxes)
    palette.push_back(Mean(box));
  return palette;
}

uint8_t Nearest(const Palette &palette, uint32_t rgb) {
  auto distance = [rgb](uint32_t entry) {
    int sum = 0;
    for (int channel = 0; channel < 3; channel++) {
      const int apart = Channel(entry, channel) - Channel(rgb, channel);
      sum += apart * apart;
    }
    return sum;
  };
  size_t best = 0;
  for (size_t i = 1; i < palette.size(); i++)
    if (distance(palette[i]) < distance(palette[best]))
      best = i;
  return uint8_t(best);
}

bool Shown(uint32_t argb) { return argb >> 24 >= ShownAlpha; }

} // namespace

QuantisedPicture Quantise(const TrueColourPicture &picture) {
  Box shown;
  for (uint32_t argb : picture.argb)
    if (Shown(argb))
      shown.push_back(argb & 0xFFFFFF);
  QuantisedPicture result{{picture.size, {}}, shown.empty() ? Palette{} : MedianCut(shown)};
  for (uint32_t argb : picture.argb)
    result.picture.indices.push_back(Shown(argb) ? Nearest(result.palette, argb & 0xFFFFFF)
                                                 : IndexedPicture::Transparent);
  return result;
}
