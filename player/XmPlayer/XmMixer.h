#pragma once
#include <cstdint>

// Adds `frameCount` frames of every voice into the stereo accumulators starting at
// `mix` (left, right, left, ...).
void mixVoices(int32_t *mix, uint32_t frameCount);
