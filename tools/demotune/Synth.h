#pragma once
#include <cstdint>
#include <vector>

// The demo tune's sounds, made with integer arithmetic only: every build and every
// run writes the same bytes.

using Frames = std::vector<int16_t>;

// sin(2 pi phase / 2^32) on a +-32767 scale.
int32_t sine(uint32_t phase);

// One sine partial of a looped sound: `cycles` whole cycles across the loop, so the
// loop joins without a seam.
struct Partial {
  uint32_t cycles;
  int32_t amplitude;
  uint32_t phase; // 2^32 is a full cycle
};

// Sums the partials over `frames` frames and scales the result to full scale.
Frames additiveLoop(uint32_t frames, const std::vector<Partial> &partials);

// Single cycles, band-limited to `harmonics` so that high notes do not alias.
Frames sawCycle(uint32_t frames, uint32_t harmonics, int32_t fundamentalBoostPercent);
Frames squareCycle(uint32_t frames, uint32_t harmonics);
Frames quarterPulseCycle(uint32_t frames, uint32_t harmonics);

// White noise brightened by a first difference, looping seamlessly.
Frames brightNoiseLoop(uint32_t frames, uint32_t seed);

// One-shot drums for a playback rate of `rate` frames per second.
Frames kickDrum(uint32_t rate);
Frames snareDrum(uint32_t rate);
