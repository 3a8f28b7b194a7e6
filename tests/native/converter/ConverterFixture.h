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
