#include "XmVector.h"

#if XM_VECTOR_UNIT
#include <immintrin.h>

#define AVX2 __attribute__((target("avx2")))

namespace {

// The eight frames of a group, seen from the lowest of them (the first moving
// forward, the last moving backward): per lane the low 32 bits of the distance in
// 2^-32 frames, and its whole frames plus one.
struct GroupLayout {
  __m256i fractions;
  __m256i wholesPlusOne;
};

AVX2 inline GroupLayout groupLayout(uint64_t step, bool backward) {
  alignas(32) uint32_t fractions[8], wholes[8];
  for (uint32_t i = 0; i < 8; ++i) {
    const uint64_t distance = (backward ? 7 - i : i) * step;
    fractions[i] = uint32_t(distance);
    wholes[i] = uint32_t(distance >> 32) + 1;
  }
  return {_mm256_load_si256(reinterpret_cast<const __m256i *>(fractions)),
          _mm256_load_si256(reinterpret_cast<const __m256i *>(wholes))};
}

// Each lane's frame index above the lowest frame's, and its fraction: the carry
// out of the 32-bit fraction sum is what the compare finds (all ones: none).
AVX2 inline __m256i locate(const GroupLayout &layout, uint64_t lowest, __m256i &fractions) {
  const __m256i first = _mm256_set1_epi32(int32_t(uint32_t(lowest)));
  fractions = _mm256_add_epi32(first, layout.fractions);
  const __m256i noCarry = _mm256_cmpeq_epi32(_mm256_max_epu32(fractions, first), fractions);
  return _mm256_add_epi32(layout.wholesPlusOne, noCarry);
}

// Below one frame per step a group spans at most nine values: two loads and
// two lane permutes fetch every frame's value and its neighbour.
AVX2 inline void fetchWindow(const int16_t *base, __m256i relative, __m256i &s0, __m256i &s1) {
  const __m256i here = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base)));
  const __m256i next = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base + 1)));
  s0 = _mm256_permutevar8x32_epi32(here, relative);
  s1 = _mm256_permutevar8x32_epi32(next, relative);
}

// Below two frames per step, within sixteen values: each permute serves the
// lanes whose index falls in its half.
AVX2 inline __m256i pick(__m256i low, __m256i high, __m256i index) {
  const __m256i inHigh = _mm256_cmpgt_epi32(index, _mm256_set1_epi32(7));
  return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, index), _mm256_permutevar8x32_epi32(high, index),
                            inHigh);
}

AVX2 inline void fetchWideWindow(const int16_t *base, __m256i relative, __m256i &s0, __m256i &s1) {
  const __m256i low = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base)));
  const __m256i high = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base + 8)));
  s0 = pick(low, high, relative);
  s1 = pick(low, high, _mm256_add_epi32(relative, _mm256_set1_epi32(1)));
}

// Larger steps gather a 32-bit pair per frame: the value (low half) and its neighbour.
AVX2 inline void fetchGather(const int16_t *base, __m256i relative, __m256i &s0, __m256i &s1) {
  const __m256i pairs = _mm256_i32gather_epi32(reinterpret_cast<const int *>(base), relative, 2);
  s0 = _mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16);
  s1 = _mm256_srai_epi32(pairs, 16);
}

// 64 x s0 + ((s1 - s0) x (fraction >> 1) >> 25). The products need 64 bits; the
// result fits in 32, and those low bits of a logical shift equal the arithmetic one.
AVX2 inline __m256i interpolate(__m256i s0, __m256i s1, __m256i fractions) {
  const __m256i difference = _mm256_sub_epi32(s1, s0);
  const __m256i half = _mm256_srli_epi32(fractions, 1);
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epi32(difference, half), 25);
  const __m256i odd =
      _mm256_slli_epi64(_mm256_mul_epi32(_mm256_srli_epi64(difference, 32), _mm256_srli_epi64(half, 32)), 7);
  return _mm256_add_epi32(_mm256_slli_epi32(s0, 6), _mm256_blend_epi32(even, odd, 0xAA));
}

// floor((v x g + (v x g < 0 ? 64 : 0)) / 128) in 32-bit lanes: with v = 128a + b,
// that is a x g + ((b x g + that 64) >> 7), and v x g < 0 exactly where the signs
// differ (where either is 0, b x g + 64 stays below 128).
AVX2 inline __m256i scaleByGain(__m256i value, __m256i gain) {
  const __m256i whole = _mm256_mullo_epi32(_mm256_srai_epi32(value, 7), gain);
  const __m256i part = _mm256_mullo_epi32(_mm256_and_si256(value, _mm256_set1_epi32(127)), gain);
  const __m256i negative =
      _mm256_and_si256(_mm256_srai_epi32(_mm256_xor_si256(value, gain), 31), _mm256_set1_epi32(64));
  return _mm256_add_epi32(whole, _mm256_srai_epi32(_mm256_add_epi32(part, negative), 7));
}

AVX2 inline void accumulate(int32_t *out, __m256i frames) {
  __m256i *target = reinterpret_cast<__m256i *>(out);
  _mm256_storeu_si256(target, _mm256_add_epi32(_mm256_loadu_si256(target), frames));
}

// Lane k of the mix buffer's layout (left, right of a frame, then the next frame)
// holds frame first + k / 2.
AVX2 inline __m256i laneFrames(int32_t first) {
  return _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_set_epi32(3, 3, 2, 2, 1, 1, 0, 0));
}

// Gains in that layout: `first` for frames 0..3 of a group, `second` for frames
// 4..7. Whole gains are kept divided by 128: a gain of 128 x T scales v to v x T.
struct LaneGains {
  __m256i first, second, advance;
};

AVX2 inline LaneGains laneGains(const VectorGains &g, bool whole, uint32_t fromFrame) {
  const int32_t shift = whole ? 7 : 0;
  const int32_t left = int32_t(uint32_t(g.left) + fromFrame * uint32_t(g.leftStep)) >> shift;
  const int32_t right = int32_t(uint32_t(g.right) + fromFrame * uint32_t(g.rightStep)) >> shift;
  const __m256i start = _mm256_set_epi32(right, left, right, left, right, left, right, left);
  const __m256i step = _mm256_set_epi32(g.rightStep, g.leftStep, g.rightStep, g.leftStep, g.rightStep,
                                        g.leftStep, g.rightStep, g.leftStep);
  const __m256i first = _mm256_add_epi32(start, _mm256_mullo_epi32(laneFrames(0), step));
  return {first, _mm256_add_epi32(first, _mm256_slli_epi32(step, 2)), _mm256_slli_epi32(step, 3)};
}

enum class Fetch { Window, WideWindow, Gather };

// Mixes the eight frames whose lowest lies at `lowest`; lanes cleared in `keep`
// add nothing.
template <Fetch How, bool Whole>
AVX2 inline void mixGroup(const int16_t *data, int32_t *out, uint64_t lowest, const GroupLayout &layout,
                          const LaneGains &gains, __m256i keepFirst, __m256i keepSecond) {
  const int16_t *base = data + uint32_t(lowest >> 32);
  __m256i fractions, s0, s1;
  const __m256i relative = locate(layout, lowest, fractions);
  if (How == Fetch::Window)
    fetchWindow(base, relative, s0, s1);
  else if (How == Fetch::WideWindow)
    fetchWideWindow(base, relative, s0, s1);
  else
    fetchGather(base, relative, s0, s1);
  const __m256i value = interpolate(s0, s1, fractions);
  const __m256i first = _mm256_permutevar8x32_epi32(value, laneFrames(0));
  const __m256i second = _mm256_permutevar8x32_epi32(value, laneFrames(4));
  if (Whole) {
    accumulate(out, _mm256_and_si256(_mm256_mullo_epi32(first, gains.first), keepFirst));
    accumulate(out + 8, _mm256_and_si256(_mm256_mullo_epi32(second, gains.second), keepSecond));
  } else {
    accumulate(out, _mm256_and_si256(scaleByGain(first, gains.first), keepFirst));
    accumulate(out + 8, _mm256_and_si256(scaleByGain(second, gains.second), keepSecond));
  }
}

template <Fetch How, bool Whole>
AVX2 uint64_t mixGroups(const int16_t *data, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                        bool backward, const VectorGains &gains) {
  const GroupLayout layout = groupLayout(step, backward);
  const uint64_t toLowest = backward ? 7 * step : 0;
  const uint64_t frameStep = backward ? 0 - step : step;
  const __m256i all = _mm256_set1_epi32(-1);
  LaneGains g = laneGains(gains, Whole, 0);
  uint32_t i = 0;
  for (; i + 8 <= frames; i += 8) {
    mixGroup<How, Whole>(data, out + 2 * i, position + i * frameStep - toLowest, layout, g, all, all);
    if (!Whole) {
      g.first = _mm256_add_epi32(g.first, g.advance);
      g.second = _mm256_add_epi32(g.second, g.advance);
    }
  }
  if (i < frames) {
    // The rest goes as the run's last eight frames, whose reads all lie within the
    // run; the lanes of frames mixed already add nothing.
    const uint32_t from = frames - 8;
    const __m256i mixed = _mm256_set1_epi32(int32_t(i - from) - 1);
    mixGroup<How, Whole>(data, out + 2 * from, position + from * frameStep - toLowest, layout,
                         laneGains(gains, Whole, from), _mm256_cmpgt_epi32(laneFrames(0), mixed),
                         _mm256_cmpgt_epi32(laneFrames(4), mixed));
  }
  return position + frames * frameStep;
}

} // namespace

bool vectorAvailable() { return __builtin_cpu_supports("avx2"); }

// A steady gain on the x128 scale that is a multiple of 128 (every ramp from
// silence ends on one) needs one multiply per value.
AVX2 uint64_t mixVector(const int16_t *data, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                        bool backward, const VectorGains &gains) {
  const bool whole = gains.leftStep == 0 && gains.rightStep == 0 && ((gains.left | gains.right) & 127) == 0;
  switch (step >> 32) {
  case 0:
    return whole ? mixGroups<Fetch::Window, true>(data, out, frames, position, step, backward, gains)
                 : mixGroups<Fetch::Window, false>(data, out, frames, position, step, backward, gains);
  case 1:
    return whole ? mixGroups<Fetch::WideWindow, true>(data, out, frames, position, step, backward, gains)
                 : mixGroups<Fetch::WideWindow, false>(data, out, frames, position, step, backward, gains);
  default:
    return whole ? mixGroups<Fetch::Gather, true>(data, out, frames, position, step, backward, gains)
                 : mixGroups<Fetch::Gather, false>(data, out, frames, position, step, backward, gains);
  }
}

// x / 16320 = (x >> 6) / 255, and y / 255 = (y x 67372037) >> 34 for every y < 2^26.
AVX2 static inline __m256i divideBy16320(__m256i x) {
  const __m256i y = _mm256_srli_epi32(x, 6);
  const __m256i m = _mm256_set1_epi64x(67372037);
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(y, m), 34);
  const __m256i odd = _mm256_srli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(y, 32), m), 34);
  return _mm256_blend_epi32(even, _mm256_slli_epi64(odd, 32), 0xAA);
}

AVX2 static inline __m256i convertEight(const int32_t *mix) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(mix));
  const __m256i magnitude = _mm256_abs_epi32(a); // INT32_MIN stays 2^31 read unsigned
  const __m256i q = divideBy16320(_mm256_add_epi32(magnitude, _mm256_set1_epi32(8160)));
  const __m256i clipped = _mm256_min_epu32(q, _mm256_set1_epi32(32767));
  return _mm256_sign_epi32(clipped, a);
}

AVX2 void convertVector(const int32_t *mix, int16_t *out, uint32_t count) {
  for (uint32_t i = 0; i < count; i += 16) {
    const __m256i packed = _mm256_packs_epi32(convertEight(mix + i), convertEight(mix + i + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i), _mm256_permute4x64_epi64(packed, 0xD8));
  }
}

#else

bool vectorAvailable() { return false; }

uint64_t mixVector(const int16_t *, int32_t *, uint32_t, uint64_t position, uint64_t, bool,
                   const VectorGains &) {
  return position;
}

void convertVector(const int32_t *, int16_t *, uint32_t) {}

#endif
