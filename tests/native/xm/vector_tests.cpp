#include <gtest/gtest.h>

#include <vector>

#include "DefinedMix.h"
#include "SampleBlock.h"
#include "XmTypes.h"
#include "XmVector.h"

namespace {

// The vector kernel against the defined arithmetic, frame by frame, on samples sized
// as the loader sizes them.
class VectorMix : public ::testing::Test {
protected:
  SampleBlock storage{nullptr, &std::free};

  void SetUp() override {
    if (!vectorAvailable())
      GTEST_SKIP() << "no vector unit on this processor";
  }
  const XmSample &makeSample(uint32_t length) {
    storage = allocateSample(length);
    XmSample *sample = storage.get();
    uint32_t seed = 7;
    for (uint32_t i = 0; i < length + 1; ++i)
      sample->data[i] = int16_t((seed = seed * 1103515245u + 12345u) >> 16);
    sample->data[3] = -32768;
    sample->data[4] = 32767;
    return *sample;
  }
  // Mixes over accumulators that already hold values, and one frame past the run
  // that must stay as it was.
  void expectDefined(const XmSample &s, uint32_t frames, uint64_t position, uint64_t step, bool backward,
                     const VectorGains &gains) {
    std::vector<int32_t> out(2 * (frames + 1));
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = int32_t(i * 40503u);
    const std::vector<int32_t> before = out;
    const uint64_t end = mixVector(s.data, out.data(), frames, position, step, backward, gains);
    for (uint32_t i = 0; i < frames; ++i) {
      const int32_t left = int32_t(uint32_t(gains.left) + i * uint32_t(gains.leftStep));
      const int32_t right = int32_t(uint32_t(gains.right) + i * uint32_t(gains.rightStep));
      ASSERT_EQ(out[2 * i] - before[2 * i], definedFrame(s, position, left)) << "left, frame " << i;
      ASSERT_EQ(out[2 * i + 1] - before[2 * i + 1], definedFrame(s, position, right)) << "right, frame " << i;
      position = backward ? position - step : position + step;
    }
    EXPECT_EQ(out[2 * frames], before[2 * frames]);
    EXPECT_EQ(out[2 * frames + 1], before[2 * frames + 1]);
    EXPECT_EQ(end, position);
  }
};

// Steps below one frame, below two and larger take different ways to the values;
// the frame counts include runs that end in a part group.
TEST_F(VectorMix, EveryStepDirectionAndLengthFollowsTheDefinedArithmetic) {
  const XmSample &s = makeSample(8000);
  const uint64_t steps[] = {0x369D00, 0x9E3779B9, 0x100000000, 0x17FFFFFFF, 0x37A3B1C2D, 0x1F8000000};
  const VectorGains gainSets[] = {{90 * 128, 37 * 128, 0, 0}, {-5000, 16383, 0, 0}, {0, 127 * 128, 51, -127}};
  for (const uint64_t step : steps)
    for (const bool backward : {false, true})
      for (const uint32_t frames : {8u, 13u, 64u, 203u})
        for (const VectorGains &gains : gainSets) {
          const uint64_t travel = frames * step;
          const uint64_t room = uint64_t(s.length - 1) << 32;
          if (travel > room)
            continue;
          const uint64_t from = backward ? room - 0x12345678 : 0x87654321;
          SCOPED_TRACE(testing::Message()
                       << "step " << step << (backward ? " backward" : " forward") << ", frames " << frames);
          expectDefined(s, frames, from, step, backward, gains);
        }
}

// Runs that reach the very ends of the data: forward onto the last frame of the
// sound, backward down to frame 0.
TEST_F(VectorMix, RunsToEitherEndOfTheDataStayWithinTheSample) {
  const XmSample &s = makeSample(40);
  const VectorGains gains{64 * 128, 64 * 128, 0, 0};
  for (const uint64_t step : {uint64_t(0xFFFFFFFF), uint64_t(0x1FFFFFFFF), uint64_t(0x280000000)}) {
    const uint32_t frames = uint32_t((uint64_t(39) << 32) / step);
    expectDefined(s, frames, (uint64_t(39) << 32) - frames * step, step, false, gains);
    expectDefined(s, frames, frames * step + 0xFFFF, step, true, gains);
  }
}

} // namespace
