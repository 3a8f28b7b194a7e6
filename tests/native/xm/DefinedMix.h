#pragma once
#include <cstdint>

#include "XmTypes.h"

// The per-frame arithmetic written out as defined, for any gain: interpolation with 6
// fractional bits, then (int32(p >> 6) + (p < 0)) >> 1.
inline int32_t definedFrame(const XmSample &s, uint64_t position, int32_t gain) {
  const int32_t s0 = s.data[position >> 32], s1 = s.data[(position >> 32) + 1];
  const int32_t v = 64 * s0 + int32_t((int64_t(s1 - s0) * (uint32_t(position) >> 1)) >> 25);
  const int64_t p = int64_t(v) * gain;
  return int32_t(uint32_t(uint64_t(p >> 6)) + (p < 0 ? 1u : 0u)) >> 1;
}
