#pragma once
#include <cstdint>

// The mixer's and the converter's hot loops for a vector unit (AVX2 on x86-64 hosts),
// bit for bit the same arithmetic as the scalar code. Elsewhere, or on a processor
// without it, vectorAvailable() is false and the scalar code runs.

bool vectorAvailable();

// Mixes frames / 4 x 4 of `frames` frames of a voice at constant gains, from the
// 32.32 `position`, moving by `step` (wrapping subtraction when backward is wanted);
// returns the position after them. Exact for gains of magnitude below 2^14.
uint64_t mixSteadyVector(const int16_t *data, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                         int32_t left, int32_t right);

// Converts `count` accumulators (a multiple of 16) as convertSample does.
void convertVector(const int32_t *mix, int16_t *out, uint32_t count);
