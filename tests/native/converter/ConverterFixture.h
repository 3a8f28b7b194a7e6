#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LoadedSong.h"
#include "ModuleConverter.h"
#include "XmOutput.h"
#include "XmRender.h"

// Converts module bytes and loads the result into the player, as an intro would.
inline ConvertedModule convert(const std::string &bytes) {
  return ConvertModule(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

inline std::unique_ptr<LoadedSong> convertAndLoad(const std::string &bytes) {
  const ConvertedModule m = convert(bytes);
  EXPECT_TRUE(m.ok) << m.rejection;
  auto loaded = std::make_unique<LoadedSong>(m.xm);
  EXPECT_TRUE(loaded->loaded);
  return loaded;
}

// Exactly the blocks the output thread hands to the device, interleaved stereo, for
// `frames` frames of the loaded song played in a loop.
inline std::vector<int16_t> renderLoaded(uint32_t frames) {
  paused = false;
  playOnce = false;
  fillIndex = 0;
  std::vector<int16_t> pcm;
  while (pcm.size() < 2 * size_t(frames)) {
    const int16_t *block = outputRing[fillIndex];
    const uint32_t filled = fillNextBlock();
    pcm.insert(pcm.end(), block, block + 2 * filled);
  }
  pcm.resize(2 * size_t(frames));
  return pcm;
}

// Frequency of the mono mix from its rising zero crossings in [begin, end) frames,
// each placed between its two frames.
inline double measuredFrequency(const std::vector<int16_t> &pcm, uint32_t begin, uint32_t end) {
  auto mono = [&](uint32_t f) { return double(pcm[2 * f]) + pcm[2 * f + 1]; };
  double first = -1, last = -1;
  int crossings = 0;
  for (uint32_t f = begin; f + 1 < end; ++f)
    if (mono(f) < 0 && mono(f + 1) >= 0) {
      const double at = f + mono(f) / (mono(f) - mono(f + 1));
      if (first < 0)
        first = at;
      last = at;
      ++crossings;
    }
  return crossings > 1 ? (crossings - 1) * double(OutputRate) / (last - first) : 0;
}
