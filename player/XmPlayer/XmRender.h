#pragma once
#include <cstdint>

#include "XmTypes.h"

// Turns the song into blocks of 16-bit stereo: tick steps at tick boundaries, the
// mixer in between, then rounding and clipping.

constexpr uint32_t MixDivisor = 16320; // 255 x 64: a full-volume voice is unity gain

// Set by startSong before any block: a paused song renders silence and stays put.
extern bool paused;

// Renders one block of BlockFrames frames into `out` (left, right, ...). Returns the
// frames the song filled; fewer than BlockFrames means a play-once song has ended
// there (the rest of the block is silence).
uint32_t renderBlock(int16_t *out);

// One accumulator to a sample: divided by MixDivisor, rounded half away from zero,
// clipped to +-32767.
int16_t convertSample(int32_t sum);
