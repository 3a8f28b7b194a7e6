#pragma once
#include <cstdint>

// The mixer's and the converter's hot loops for a vector unit (AVX2 on x86-64 hosts),
// bit for bit the same arithmetic as the scalar code. Elsewhere, or on a processor
// without it, vectorAvailable() is false and the scalar code runs.

// Builds that can have the vector unit (x86-64 hosts) also keep the mixer's special
// cases for speed; the 32-bit intro and the scalar host build mix every run with one
// loop, the same output from less code.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(XM_SCALAR_ONLY)
#define XM_VECTOR_UNIT 1
#else
#define XM_VECTOR_UNIT 0
#endif

bool vectorAvailable();

// Gains of the first frame and their change per frame (0 when steady).
struct VectorGains {
  int32_t left, right, leftStep, rightStep;
};

// Mixes `frames` frames (at least 8) of a voice from the 32.32 `position`,
// moving by `step` in its direction; returns the position after them. Exact while
// every gain of the run is below 2^14 in magnitude. The sample must have its spare
// values behind the sound.
uint64_t mixVector(const int16_t *data, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                   bool backward, const VectorGains &gains);

// Converts `count` accumulators (a multiple of 16) as convertSample does.
void convertVector(const int32_t *mix, int16_t *out, uint32_t count);
