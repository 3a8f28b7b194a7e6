#include "Synth.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int64_t One = int64_t(1) << 30; // Q30 fixed point
constexpr int32_t FullScale = 127 * 256;  // the loudest value an 8-bit sample keeps

// Taylor coefficients of sin(pi t / 2) in Q30; the error stays below 4e-6.
constexpr int64_t SineTerms[] = {172272, 5026995, 85569306, 693598668, 1686629713};

// How far a tone of `hertz` advances its phase each frame.
uint32_t phaseStep(uint32_t hertz, uint32_t rate) { return uint32_t((uint64_t(hertz) << 32) / rate); }

// Per-frame factor (Q30) that halves a level every `frames` frames: e^-x with
// x = ln 2 / frames, to second order, which is plenty for half-lives of 50 frames on.
int64_t halvingFactor(uint32_t frames) {
  const int64_t x = 744261118 / frames; // ln 2 in Q30
  return One - x + (x * x >> 31);
}

class Noise {
public:
  explicit Noise(uint32_t seed) : state(seed) {}
  int32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return int32_t(state) >> 16;
  }

private:
  uint32_t state;
};

Frames normalized(const std::vector<int64_t> &values) {
  int64_t peak = 1;
  for (int64_t v : values)
    peak = std::max(peak, std::abs(v));
  Frames frames;
  frames.reserve(values.size());
  for (int64_t v : values)
    frames.push_back(int16_t(v * FullScale / peak));
  return frames;
}

// A linear fade over the last frames, so a one-shot ends on silence.
void fadeTail(std::vector<int64_t> &values, size_t length) {
  for (size_t i = 0; i < length; ++i)
    values[values.size() - 1 - i] = values[values.size() - 1 - i] * int64_t(i) / int64_t(length);
}

} // namespace

int32_t sine(uint32_t phase) {
  int64_t t = int32_t(phase); // -2^31..2^31 is -pi..pi
  if (t > One)
    t = 2 * One - t;
  else if (t < -One)
    t = -2 * One - t;
  const int64_t t2 = t * t >> 30;
  int64_t r = SineTerms[0];
  for (size_t i = 1; i < sizeof SineTerms / sizeof SineTerms[0]; ++i)
    r = SineTerms[i] - (r * t2 >> 30);
  return int32_t(((r * t >> 30) * 32767 + One / 2) >> 30);
}

Frames additiveLoop(uint32_t frames, const std::vector<Partial> &partials) {
  std::vector<int64_t> sum(frames);
  for (uint32_t i = 0; i < frames; ++i)
    for (const Partial &p : partials)
      sum[i] += int64_t(sine(uint32_t((uint64_t(p.cycles) * i << 32) / frames) + p.phase)) * p.amplitude;
  return normalized(sum);
}

Frames sawCycle(uint32_t frames, uint32_t harmonics, int32_t fundamentalBoostPercent) {
  std::vector<Partial> partials;
  for (uint32_t k = 1; k <= harmonics; ++k)
    partials.push_back({k, int32_t(65536 / k), 0});
  partials[0].amplitude = partials[0].amplitude * (100 + fundamentalBoostPercent) / 100;
  return additiveLoop(frames, partials);
}

Frames squareCycle(uint32_t frames, uint32_t harmonics) {
  std::vector<Partial> partials;
  for (uint32_t k = 1; k <= harmonics; k += 2)
    partials.push_back({k, int32_t(65536 / k), 0});
  return additiveLoop(frames, partials);
}

// A 25% pulse: cosine partials of amplitude sin(pi k / 4) / k (every fourth is absent).
Frames quarterPulseCycle(uint32_t frames, uint32_t harmonics) {
  std::vector<Partial> partials;
  for (uint32_t k = 1; k <= harmonics; ++k)
    partials.push_back({k, sine(k << 29) * 2 / int32_t(k), 1u << 30});
  return additiveLoop(frames, partials);
}

Frames brightNoiseLoop(uint32_t frames, uint32_t seed) {
  Noise noise(seed);
  std::vector<int32_t> white(frames);
  for (int32_t &v : white)
    v = noise.next();
  std::vector<int64_t> bright(frames);
  for (uint32_t i = 0; i < frames; ++i)
    bright[i] = white[i] - white[(i + frames - 1) % frames];
  return normalized(bright);
}

// A sine whose pitch drops from 170 Hz to 48 Hz within a few tens of milliseconds.
Frames kickDrum(uint32_t rate) {
  std::vector<int64_t> values(rate / 5);
  const uint32_t floor = phaseStep(48, rate);
  int64_t sweep = phaseStep(170 - 48, rate), level = One;
  const int64_t sweepFactor = halvingFactor(rate / 90), levelFactor = halvingFactor(rate / 22);
  uint32_t phase = 0;
  for (int64_t &v : values) {
    v = sine(phase) * level >> 30;
    phase += floor + uint32_t(sweep);
    sweep = sweep * sweepFactor >> 30;
    level = level * levelFactor >> 30;
  }
  fadeTail(values, rate / 100);
  return normalized(values);
}

// A short two-tone body under a longer burst of bright noise.
Frames snareDrum(uint32_t rate) {
  std::vector<int64_t> values(rate * 9 / 50);
  Noise noise(0x5EED);
  const uint32_t low = phaseStep(185, rate), high = phaseStep(330, rate);
  const int64_t bodyFactor = halvingFactor(rate / 50), noiseFactor = halvingFactor(rate / 24);
  int64_t body = One * 11 / 20, hiss = One * 4 / 5;
  int32_t previous = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const int32_t white = noise.next();
    const int64_t tone = (int64_t(sine(uint32_t(low * i))) * 2 + sine(uint32_t(high * i))) / 3;
    values[i] = (tone * body + int64_t(white - previous / 2) * hiss) >> 30;
    previous = white;
    body = body * bodyFactor >> 30;
    hiss = hiss * noiseFactor >> 30;
  }
  fadeTail(values, rate / 100);
  return normalized(values);
}
