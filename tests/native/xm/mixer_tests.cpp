#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "DefinedMix.h"
#include "SampleBlock.h"
#include "XmMixer.h"
#include "XmState.h"

namespace {

// One channel (two voices) and one sample with the spare values behind it.
class Mixer : public ::testing::Test {
protected:
  MixVoice voices[2] = {};
  SampleBlock storage{nullptr, &std::free};

  void SetUp() override {
    song = ReplayState{};
    song.channelCount = 1;
    song.voices = voices;
  }
  // Values are the sample's frames; the guard is written as the loader would.
  XmSample &makeSample(std::vector<int16_t> values, uint8_t loopType = 0, uint32_t loopStart = 0,
                       uint32_t loopLength = 0) {
    storage = allocateSample(uint32_t(values.size()));
    XmSample *sample = storage.get();
    sample->loopType = loopType;
    sample->loopStart = loopStart;
    sample->loopLength = loopType ? loopLength : uint32_t(values.size());
    for (size_t i = 0; i < values.size(); ++i)
      sample->data[i] = values[i];
    if (loopType == 1)
      sample->data[loopStart + loopLength] = values[loopStart];
    if (loopType == 2)
      sample->data[loopStart + loopLength] = values[loopStart + loopLength - 1];
    return *sample;
  }
  // A voice at full gain on both sides, no ramp, step 1.0.
  MixVoice &start(const XmSample &s) {
    MixVoice &v = voices[0];
    v.sample = &s;
    v.stepInteger = 1;
    v.targetLeft = v.targetRight = 255;
    v.lastTargetLeft = v.lastTargetRight = 255;
    v.currentLeft = v.currentRight = 255 * 128;
    v.rampRemaining = 0;
    return v;
  }
  std::vector<int32_t> mix(uint32_t frames) {
    std::vector<int32_t> out(2 * frames);
    mixVoices(out.data(), frames);
    return out;
  }
  // Left channel divided back to the sample's value (full gain adds 64 x 255 x s).
  static std::vector<int32_t> leftValues(const std::vector<int32_t> &out) {
    std::vector<int32_t> values;
    for (size_t i = 0; i < out.size(); i += 2)
      values.push_back(out[i] / (64 * 255));
    return values;
  }
  static std::vector<int16_t> ramp(int count, int from) {
    std::vector<int16_t> v(count);
    for (int i = 0; i < count; ++i)
      v[i] = int16_t((from + i) * 100);
    return v;
  }
};

TEST_F(Mixer, SampleWithoutLoopPlaysOnceThenIdles) {
  MixVoice &v = start(makeSample(ramp(10, 1)));
  const std::vector<int32_t> values = leftValues(mix(16));
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(values[i], (i + 1) * 100) << i;
  for (int i = 10; i < 16; ++i)
    EXPECT_EQ(values[i], 0) << i;
  EXPECT_EQ(v.sample, nullptr);
  EXPECT_EQ(v.position, 0u);
  EXPECT_EQ(mix(4), std::vector<int32_t>(8));
}

TEST_F(Mixer, ForwardLoopRepeatsItsFrames) {
  start(makeSample(ramp(8, 0), 1, 4, 4));
  const std::vector<int32_t> values = leftValues(mix(20));
  for (int i = 0; i < 20; ++i) {
    const int expected = i < 8 ? i : 4 + (i - 8) % 4;
    EXPECT_EQ(values[i], expected * 100) << i;
  }
}

TEST_F(Mixer, InterpolatesBetweenNeighbours) {
  MixVoice &v = start(makeSample({0, 1000, 2000, 3000}));
  v.stepInteger = 0;
  v.stepFraction = 0x80000000; // half a frame per output frame
  const std::vector<int32_t> values = leftValues(mix(5));
  EXPECT_EQ(values, (std::vector<int32_t>{0, 500, 1000, 1500, 2000}));
}

TEST_F(Mixer, PingPongReflectsAtBothEnds) {
  MixVoice &v = start(makeSample(ramp(6, 0), 2, 2, 3)); // loop over frames 2, 3, 4
  const std::vector<int32_t> values = leftValues(mix(14));
  // The edge at the loop end is the guard, a copy of frame 4; the start edge is frame 2.
  const std::vector<int32_t> expected{0, 1, 2, 3, 4, 4, 4, 3, 2, 3, 4, 4, 4, 3};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(values[i], expected[i] * 100) << i;
  EXPECT_EQ(v.position, 2u); // reflected forward at the loop start
  EXPECT_EQ(v.backward, 0);
}

// Steps longer than the loop fold back and forth across it, mirror by mirror like a
// ball between two walls.
TEST_F(Mixer, PingPongWithBigStepsBouncesBetweenTheLoopEdges) {
  MixVoice &v = start(makeSample(ramp(20, 0), 2, 5, 3));
  const int64_t step = int64_t(7) << 32 | 0x12345678, loopStart = int64_t(5) << 32, loopEnd = int64_t(8) << 32;
  v.stepInteger = uint32_t(step >> 32);
  v.stepFraction = uint32_t(step);
  int64_t position = 0, direction = 1;
  for (int frame = 0; frame < 200; ++frame) {
    mix(1);
    position += direction * step;
    for (; position < loopStart || position > loopEnd; direction = -direction)
      position = position < loopStart ? 2 * loopStart - position : 2 * loopEnd - position;
    ASSERT_EQ(int64_t(v.position) << 32 | v.fraction, position) << frame;
  }
}

TEST_F(Mixer, PositionBeyondTheEndStaysSilentAndPut) {
  MixVoice &v = start(makeSample(ramp(8, 1), 1, 2, 4));
  v.position = 9;
  EXPECT_EQ(mix(10), std::vector<int32_t>(20));
  EXPECT_EQ(v.position, 9u);
  EXPECT_NE(v.sample, nullptr);
}

TEST_F(Mixer, StartPastTheLoopEndPlaysToTheEndThenWrapsIntoTheLoop) {
  start(makeSample(ramp(10, 0), 1, 2, 3)).position = 7; // loop 2..4, end 5
  const std::vector<int32_t> values = leftValues(mix(6));
  // 7, 8, 9, then 10 -> 2 + (10 - 5) mod 3 = 4, then 2, 3.
  EXPECT_EQ(values, (std::vector<int32_t>{700, 800, 900, 400, 200, 300}));
}

TEST_F(Mixer, StepZeroCreepsAtTheMinimumStep) {
  MixVoice &v = start(makeSample(ramp(4, 1)));
  v.stepInteger = 0;
  v.stepFraction = 0;
  mix(1000);
  EXPECT_EQ(v.position, 0u);
  EXPECT_EQ(v.fraction, 1000u * 0x369D00u);
}

TEST_F(Mixer, RampGlidesToTheTargetOver128Frames) {
  MixVoice &v = start(makeSample(std::vector<int16_t>(400, 1000), 1, 0, 400));
  v.currentLeft = v.currentRight = 0;
  v.targetRight = 0;
  std::vector<int32_t> out = mix(200);
  EXPECT_EQ(out[0], 0);
  EXPECT_GT(out[2 * 64], 0);
  EXPECT_LT(out[2 * 64], out[2 * 127]);
  EXPECT_EQ(out[2 * 128], out[2 * 199]); // ramp over
  EXPECT_EQ(v.currentLeft, (255 * 128 >> 7) * 128);
  EXPECT_EQ(v.rampRemaining, 0);
  EXPECT_EQ(v.rampStepLeft, 0);
  EXPECT_EQ(out[2 * 199 + 1], 0);
}

TEST_F(Mixer, TargetChangeMidRampStartsANewRampFromTheCurrentGain) {
  MixVoice &v = start(makeSample(std::vector<int16_t>(400, 1000), 1, 0, 400));
  v.currentLeft = v.currentRight = 0;
  mix(64);
  EXPECT_EQ(v.rampRemaining, 64);
  const int32_t halfway = v.currentLeft;
  EXPECT_EQ(halfway, 64 * ((255 * 128) >> 7));
  v.targetLeft = v.targetRight = 0;
  mix(10);
  EXPECT_EQ(v.rampRemaining, 118);
  EXPECT_EQ(v.rampStepLeft, (0 - halfway) >> 7);
  EXPECT_EQ(v.currentLeft, halfway + 10 * ((0 - halfway) >> 7));
}

TEST_F(Mixer, GainsOfEverySizeFollowTheDefinedArithmetic) {
  std::vector<int16_t> values(300);
  uint32_t seed = 1;
  for (int16_t &x : values)
    x = int16_t((seed = seed * 1103515245u + 12345u) >> 16);
  values[7] = -32768;
  values[8] = 32767;
  const XmSample &s = makeSample(values, 1, 0, 300);
  const std::pair<int32_t, int32_t> gains[] = {{255 * 128, 255 * 128}, {16383, -16383}, {100, 9000},
                                               {16384, 16384},         {-70000, 3},     {1 << 20, 1 << 20},
                                               {100 * 128, -3 * 128}};
  // Targets within 127 above the gains keep them steady; others ramp for 128 frames.
  for (const int32_t targetOffset : {0, 40, -90})
    for (const bool backward : {false, true})
      for (const auto &[left, right] : gains) {
        MixVoice &v = start(s);
        const uint64_t from = backward ? uint64_t(290) << 32 : 0;
        v.position = uint32_t(from >> 32);
        v.fraction = 0;
        v.backward = backward;
        v.stepInteger = 0;
        v.stepFraction = 0x9E3779B9u;
        v.targetLeft = ((left + 127) >> 7) + targetOffset;
        v.targetRight = ((right + 127) >> 7) - targetOffset;
        v.currentLeft = left;
        v.currentRight = right;
        const int32_t leftStep = (v.targetLeft * 128 - left) >> 7,
                      rightStep = (v.targetRight * 128 - right) >> 7;
        const std::vector<int32_t> out = mix(203);
        uint64_t position = from;
        for (int32_t i = 0; i < 203; ++i) {
          const int32_t ramped = std::min(i, 128);
          ASSERT_EQ(out[2 * i], definedFrame(s, position, left + ramped * leftStep))
              << left << " frame " << i;
          ASSERT_EQ(out[2 * i + 1], definedFrame(s, position, right + ramped * rightStep))
              << right << " frame " << i;
          position = backward ? position - 0x9E3779B9u : position + 0x9E3779B9u;
        }
      }
}

TEST_F(Mixer, VoicesOfAllChannelsAddUp) {
  const XmSample &s = makeSample({30000, 30000, 30000});
  start(s);
  voices[1] = voices[0];
  const std::vector<int32_t> out = mix(1);
  EXPECT_EQ(out[0], 2 * 30000 * 64 * 255);
}

TEST_F(Mixer, SilentSampleOfLengthZeroEndsAtOnce) {
  MixVoice &v = start(makeSample({}));
  EXPECT_EQ(mix(4), std::vector<int32_t>(8));
  EXPECT_EQ(v.sample, nullptr);
}

} // namespace
