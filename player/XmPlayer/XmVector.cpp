#include "XmVector.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <cstring>
#include <immintrin.h>

#define AVX2 __attribute__((target("avx2")))

// AVX2 has no 64-bit arithmetic shift: signed lanes are biased positive, shifted
// logically and unbiased, exact while |x| < 2^bias.
AVX2 static inline __m256i shiftRightSigned(__m256i x, int bias, int shift) {
  return _mm256_sub_epi64(
      _mm256_srli_epi64(_mm256_add_epi64(x, _mm256_set1_epi64x(int64_t(1) << bias)), shift),
      _mm256_set1_epi64x(int64_t(1) << (bias - shift)));
}

// ((int32)(p >> 6) + (p < 0)) >> 1, which for |p| < 2^37 is (p + (p < 0 ? 64 : 0)) >> 7.
AVX2 static inline __m256i scaleByGain(__m256i value, __m256i gain) {
  const __m256i p = _mm256_mul_epi32(value, gain);
  const __m256i negative = _mm256_cmpgt_epi64(_mm256_setzero_si256(), p);
  return shiftRightSigned(_mm256_add_epi64(p, _mm256_and_si256(negative, _mm256_set1_epi64x(64))), 47, 7);
}

// One 32-bit load brings a frame's value (low half) and its neighbour (high half).
static inline int64_t framePair(const int16_t *data, uint64_t position) {
  uint32_t pair;
  std::memcpy(&pair, data + (position >> 32), 4);
  return pair;
}

bool vectorAvailable() { return __builtin_cpu_supports("avx2"); }

// Four frames per pass in 64-bit lanes; only the low 32 bits of a lane are used
// where the value fits in them. Lane k of a gain holds the gain of frame k.
AVX2 uint64_t mixVector(const int16_t *data, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                        const VectorGains &gains) {
  __m256i positions =
      _mm256_add_epi64(_mm256_set1_epi64x(int64_t(position)),
                       _mm256_set_epi64x(int64_t(3 * step), int64_t(2 * step), int64_t(step), 0));
  const __m256i advance = _mm256_set1_epi64x(int64_t(4 * step));
  const __m256i lanes = _mm256_set_epi64x(3, 2, 1, 0);
  __m256i leftGain = _mm256_add_epi64(_mm256_set1_epi64x(gains.left),
                                      _mm256_mul_epi32(lanes, _mm256_set1_epi64x(gains.leftStep)));
  __m256i rightGain = _mm256_add_epi64(_mm256_set1_epi64x(gains.right),
                                       _mm256_mul_epi32(lanes, _mm256_set1_epi64x(gains.rightStep)));
  const __m256i leftAdvance = _mm256_set1_epi64x(4 * int64_t(gains.leftStep));
  const __m256i rightAdvance = _mm256_set1_epi64x(4 * int64_t(gains.rightStep));
  const __m256i fractionMask = _mm256_set1_epi64x(0xFFFFFFFF);
  for (uint32_t i = 0; i + 4 <= frames; i += 4) {
    const __m256i pairs =
        _mm256_set_epi64x(framePair(data, position + 3 * step), framePair(data, position + 2 * step),
                          framePair(data, position + step), framePair(data, position));
    const __m256i s0 = _mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16);
    const __m256i s1 = _mm256_srai_epi32(pairs, 16);
    const __m256i halfFraction = _mm256_srli_epi64(_mm256_and_si256(positions, fractionMask), 1);
    const __m256i slope = _mm256_mul_epi32(_mm256_sub_epi32(s1, s0), halfFraction);
    const __m256i value = _mm256_add_epi32(_mm256_slli_epi32(s0, 6), shiftRightSigned(slope, 48, 25));
    const __m256i frame = _mm256_blend_epi32(scaleByGain(value, leftGain),
                                             _mm256_slli_epi64(scaleByGain(value, rightGain), 32), 0xAA);
    __m256i *target = reinterpret_cast<__m256i *>(out + 2 * i);
    _mm256_storeu_si256(target, _mm256_add_epi32(_mm256_loadu_si256(target), frame));
    positions = _mm256_add_epi64(positions, advance);
    leftGain = _mm256_add_epi64(leftGain, leftAdvance);
    rightGain = _mm256_add_epi64(rightGain, rightAdvance);
    position += 4 * step;
  }
  return position;
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

uint64_t mixVector(const int16_t *, int32_t *, uint32_t, uint64_t position, uint64_t, const VectorGains &) {
  return position;
}

void convertVector(const int32_t *, int16_t *, uint32_t) {}

#endif
