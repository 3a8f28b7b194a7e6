#include "XmMixer.h"

#include "Limits.h"
#include "XmState.h"
#include "XmVector.h"

// Positions and steps are handled as one 64-bit number of 2^-32 frames. A run is the
// stretch of output frames up to the next sample boundary or ramp end, found by one
// division, so the per-frame loop tests nothing.

namespace {

constexpr uint64_t FrameUnits = uint64_t(1) << PositionShift;
// A step of 0 would never reach a boundary; the voice creeps instead.
constexpr uint32_t MinimumStepFraction = 0x369D00;
// Far beyond any pitch the replay makes; keeps reflections and wraps bounded.
constexpr uint64_t MaximumStep = uint64_t(1024) << PositionShift;
constexpr uint16_t RampFrames = 128;

uint64_t voicePosition(const MixVoice &v) { return uint64_t(v.position) << PositionShift | v.fraction; }

void setVoicePosition(MixVoice &v, uint64_t position) {
  v.position = uint32_t(position >> PositionShift);
  v.fraction = uint32_t(position);
}

uint64_t voiceStep(const MixVoice &v) {
  if (v.stepInteger == 0 && v.stepFraction < 32)
    return MinimumStepFraction;
  return minOf(uint64_t(v.stepInteger) << PositionShift | v.stepFraction, MaximumStep);
}

// Distance to the next boundary in the current direction; false when the voice lies
// beyond it (it then stays silent and does not move).
bool boundaryDistance(const MixVoice &v, uint64_t &distance) {
  const XmSample &s = *v.sample;
  const uint64_t position = voicePosition(v);
  if (v.backward) {
    const uint64_t start = uint64_t(s.loopStart) << PositionShift;
    distance = position - start;
    return position >= start;
  }
  const uint32_t loopEnd = s.loopStart + s.loopLength;
  const uint64_t end = uint64_t(loopEnd > v.position ? loopEnd : s.length) << PositionShift;
  distance = end - position;
  return position <= end;
}

// Starts a new ramp when the targets changed or the last ramp is over. The shift
// leaves a ramp 0..127 short of target x 128, so a finished ramp does not restart.
// Returns the frames left in the ramp.
uint16_t setUpRamp(MixVoice &v) {
  if (v.rampRemaining != 0 && uint16_t(v.targetRight) == v.lastTargetRight &&
      uint16_t(v.targetLeft) == v.lastTargetLeft)
    return v.rampRemaining;
  v.lastTargetRight = uint16_t(v.targetRight);
  v.lastTargetLeft = uint16_t(v.targetLeft);
  v.rampStepRight = int32_t(uint32_t(v.targetRight) * 128u - uint32_t(v.currentRight)) >> 7;
  v.rampStepLeft = int32_t(uint32_t(v.targetLeft) * 128u - uint32_t(v.currentLeft)) >> 7;
  v.rampRemaining = (v.rampStepRight != 0 || v.rampStepLeft != 0) ? RampFrames : 0;
  return v.rampRemaining;
}

// Interpolated value with 6 fractional bits, scaled by a gain on the x128 scale and
// added with wrap-around.
inline int32_t scaled(int32_t value, int32_t gain) {
  const int64_t p = int64_t(value) * gain;
  const int32_t t = int32_t(uint32_t(uint64_t(p >> 6)) + (p < 0 ? 1u : 0u));
  return t >> 1;
}

inline void accumulate(int32_t &sum, int32_t value) { sum = int32_t(uint32_t(sum) + uint32_t(value)); }

#if XM_VECTOR_UNIT
// The same as scaled() while |value x gain| < 2^37, which gains below 2^14 ensure
// (|value| < 2^23): one shift instead of two and a truncation.
constexpr int32_t NarrowGainLimit = 1 << 14;
inline int32_t scaledNarrow(int32_t value, int32_t gain) {
  const int64_t p = int64_t(value) * gain;
  return int32_t((p + ((p >> 63) & 64)) >> 7);
}
#endif

inline int32_t interpolated(const int16_t *data, uint64_t position) {
  const int16_t *at = data + uint32_t(position >> PositionShift);
  const int32_t s0 = at[0];
  const int32_t s1 = at[1];
  return 64 * s0 + int32_t((int64_t(s1 - s0) * (uint32_t(position) >> 1)) >> 25);
}

#if XM_VECTOR_UNIT
// Steady gains below NarrowGainLimit, the usual case. A gain that is a multiple of
// 128 (every ramp from silence ends on one) scales by one 32-bit multiply.
template <bool Backward>
uint64_t mixSteadyRun(const MixVoice &v, int32_t *out, uint32_t frames, uint64_t position, uint64_t step) {
  const int16_t *data = v.sample->data;
  const int32_t left = v.currentLeft, right = v.currentRight;
  if (((left | right) & 127) == 0) {
    const int32_t wholeLeft = left >> 7, wholeRight = right >> 7;
    for (uint32_t i = 0; i < frames; ++i, out += 2) {
      const int32_t value = interpolated(data, position);
      accumulate(out[0], value * wholeLeft);
      accumulate(out[1], value * wholeRight);
      position = Backward ? position - step : position + step;
    }
    return position;
  }
  for (uint32_t i = 0; i < frames; ++i, out += 2) {
    const int32_t value = interpolated(data, position);
    accumulate(out[0], scaledNarrow(value, left));
    accumulate(out[1], scaledNarrow(value, right));
    position = Backward ? position - step : position + step;
  }
  return position;
}

bool narrow(int64_t gain) { return gain > -NarrowGainLimit && gain < NarrowGainLimit; }

bool narrowGains(const MixVoice &v) { return narrow(v.currentLeft) && narrow(v.currentRight); }

// A ramp moves the gains in a straight line: narrow at both ends is narrow throughout.
bool narrowThroughout(const MixVoice &v, uint32_t frames, bool ramping) {
  const int64_t last = ramping ? int64_t(frames) - 1 : 0;
  return narrowGains(v) && narrow(v.currentLeft + last * v.rampStepLeft) &&
         narrow(v.currentRight + last * v.rampStepRight);
}

// The vector unit takes runs of eight frames or more; the gains move on with them.
uint64_t mixVectorFrames(MixVoice &v, int32_t *out, uint32_t frames, uint64_t position, uint64_t step,
                         bool ramping) {
  const VectorGains gains{v.currentLeft, v.currentRight, ramping ? v.rampStepLeft : 0,
                          ramping ? v.rampStepRight : 0};
  position = mixVector(v.sample->data, out, frames, position, step, v.backward, gains);
  v.currentLeft += int32_t(frames) * gains.leftStep;
  v.currentRight += int32_t(frames) * gains.rightStep;
  return position;
}
#endif

template <bool Backward, bool Ramping>
uint64_t mixRun(MixVoice &v, int32_t *out, uint32_t frames, uint64_t position, uint64_t step) {
  const int16_t *data = v.sample->data;
  int32_t right = v.currentRight, left = v.currentLeft;
  const int32_t rightStep = v.rampStepRight, leftStep = v.rampStepLeft;
  for (uint32_t i = 0; i < frames; ++i, out += 2) {
    const int32_t value = interpolated(data, position);
    accumulate(out[0], scaled(value, left));
    accumulate(out[1], scaled(value, right));
    if (Ramping) {
      right = int32_t(uint32_t(right) + uint32_t(rightStep));
      left = int32_t(uint32_t(left) + uint32_t(leftStep));
    }
    position = Backward ? position - step : position + step;
  }
  v.currentRight = right;
  v.currentLeft = left;
  return position;
}

// A voice at gain 0 on both sides adds exactly 0 to every frame, so a steady silent
// voice (the faded half of a pair, typically) only moves on.
bool steadySilent(const MixVoice &v, bool ramping) {
  return !ramping && v.currentLeft == 0 && v.currentRight == 0;
}

uint64_t silentRun(const MixVoice &v, uint32_t frames, uint64_t position, uint64_t step) {
  return v.backward ? position - frames * step : position + frames * step;
}

uint64_t mixFrames(MixVoice &v, int32_t *out, uint32_t frames, uint64_t step, bool ramping) {
  uint64_t position = voicePosition(v);
  if (steadySilent(v, ramping))
    return silentRun(v, frames, position, step);
#if XM_VECTOR_UNIT
  static const bool vector = vectorAvailable();
  if (vector && frames >= 8 && narrowThroughout(v, frames, ramping))
    return mixVectorFrames(v, out, frames, position, step, ramping);
  if (!ramping && narrowGains(v))
    return v.backward ? mixSteadyRun<true>(v, out, frames, position, step)
                      : mixSteadyRun<false>(v, out, frames, position, step);
  if (v.backward)
    return ramping ? mixRun<true, true>(v, out, frames, position, step)
                   : mixRun<true, false>(v, out, frames, position, step);
  return ramping ? mixRun<false, true>(v, out, frames, position, step)
                 : mixRun<false, false>(v, out, frames, position, step);
#else
  // Steady voices have ramp steps of 0, and moving back is adding the step's negative.
  return mixRun<false, true>(v, out, frames, position, v.backward ? 0 - step : step);
#endif
}

// An overshoot past a loop edge modulo two loop lengths. The edges are whole frames, so
// the remainder is taken of the whole frames alone, in 32 bits, and the fraction comes
// along: the 32-bit intro needs no 64-bit division for it.
uint64_t foldedOvershoot(uint64_t overshoot, uint32_t loopLength) {
  const uint32_t wholes = uint32_t(overshoot >> PositionShift) % (2 * loopLength);
  return uint64_t(wholes) << PositionShift | uint32_t(overshoot);
}

// Mirrors the position at the loop edges until it lies inside the loop. The loop's
// back-and-forth pattern repeats every two loop lengths, so one remainder does it.
void reflect(MixVoice &v) {
  const XmSample &s = *v.sample;
  const uint64_t start = uint64_t(s.loopStart) << PositionShift;
  const uint64_t length = uint64_t(s.loopLength) << PositionShift;
  const uint64_t end = start + length;
  const uint64_t position = voicePosition(v);
  if (v.backward) {
    const uint64_t over = foldedOvershoot(start - position, s.loopLength);
    v.backward = over >= length;
    setVoicePosition(v, over < length ? start + over : end - (over - length));
  } else {
    const uint64_t over = foldedOvershoot(position - end, s.loopLength);
    v.backward = over <= length;
    setVoicePosition(v, over <= length ? end - over : start + (over - length));
  }
}

// Returns false when the voice has ended. A loop of length 0 is never made by the
// loader; it plays as no loop.
bool crossBoundary(MixVoice &v) {
  const XmSample &s = *v.sample;
  if (s.loopLength != 0 && s.loopType == ForwardLoop) {
    const uint32_t loopEnd = s.loopStart + s.loopLength;
    v.position = s.loopStart + (v.position - loopEnd) % s.loopLength;
    return true;
  }
  if (s.loopLength != 0 && s.loopType == PingPongLoop) {
    reflect(v);
    return true;
  }
  v.sample = nullptr;
  v.position = 0;
  v.fraction = 0;
  return false;
}

// For a steady silent voice only where it ends up matters: moving
// forward it crosses its boundary at most once in effect, as the forward loop's
// remainder folds any distance into the loop. Ping-pong voices take the usual path.
bool skipSilently(MixVoice &v, uint16_t ramp, uint32_t frames, uint64_t step, uint64_t distance) {
  if (!steadySilent(v, ramp != 0) || v.backward || (v.sample->loopLength != 0 && v.sample->loopType == PingPongLoop))
    return false;
  const uint64_t travel = uint64_t(frames) * step;
  setVoicePosition(v, voicePosition(v) + travel);
  if (travel >= distance)
    crossBoundary(v);
  return true;
}

// Runs are cut at this length so that their frame counts fit in 16 bits.
constexpr uint32_t MaxRunFrames = 0xFFFF;

// Frames until the voice reaches its boundary, ceil(distance / step), counted up to
// `limit` (at most MaxRunFrames; limit + 1 means beyond it). Found bit by bit, as the
// count is small: the 32-bit intro needs no 64-bit division for it.
uint32_t framesToBoundary(uint64_t distance, uint64_t step, uint32_t limit) {
  if (distance == 0)
    return 0;
  if (distance > limit * step)
    return limit + 1;
  uint64_t rest = distance - 1; // ceil(d / s) = floor((d - 1) / s) + 1
  uint32_t frames = 1;
  for (int bit = 15; bit >= 0; --bit)
    if ((rest >> bit) >= step) {
      rest -= step << bit;
      frames += 1u << bit;
    }
  return frames;
}

void mixVoice(MixVoice &v, int32_t *out, uint32_t frames) {
  while (frames > 0) {
    uint64_t distance;
    if (!boundaryDistance(v, distance))
      return;
    const uint64_t step = voiceStep(v);
    const uint32_t limit = minOf(frames, MaxRunFrames);
    const uint32_t toBoundary = framesToBoundary(distance, step, limit);
    if (toBoundary != 0) {
      const bool reached = toBoundary <= limit;
      uint32_t n = reached ? toBoundary : limit;
      const uint16_t ramp = setUpRamp(v);
      if (skipSilently(v, ramp, frames, step, distance))
        return;
      const bool cutByRamp = ramp != 0 && ramp < n;
      if (cutByRamp)
        n = ramp;
      setVoicePosition(v, mixFrames(v, out, n, step, ramp != 0));
      out += 2 * n;
      frames -= n;
      if (v.rampRemaining != 0) {
        v.rampRemaining = uint16_t(v.rampRemaining - n);
        if (v.rampRemaining == 0)
          v.rampStepRight = v.rampStepLeft = 0;
      }
      if (cutByRamp || !reached)
        continue;
    }
    if (!crossBoundary(v))
      return;
  }
}

} // namespace

void mixVoices(int32_t *mix, uint32_t frameCount) {
  MixVoice *voices = song.voices;
  const int32_t voiceCount = 2 * song.channelCount;
  for (int32_t i = 0; i < voiceCount; ++i)
    if (voices[i].sample)
      mixVoice(voices[i], mix, frameCount);
}
