#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ByteReader.h"

// Impulse Tracker 2.14 and 2.15 compressed sample data: blocks of variable-width
// deltas (2.15 sums them twice). Reads only what `in` holds and writes only the
// frames asked for; a block that ends early or turns invalid leaves the rest of its
// frames silent, as the reference player leaves them.

// Appends `frames` frames of one channel to `out` (8-bit values in the high byte).
// Returns false when the data ended before all frames were decoded.
bool DecompressItSample(TByteReader &in, size_t frames, bool sixteenBit, bool secondOrder,
                        std::vector<int16_t> &out);
