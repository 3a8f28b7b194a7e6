#include <gtest/gtest.h>

#include <vector>

#include "LoadedSong.h"
#include "XmRender.h"
#include "XmVector.h"
#include "XmWriter.h"

namespace {

TEST(Conversion, RoundsHalfAwayFromZeroAndClipsToPlusMinus32767) {
  EXPECT_EQ(convertSample(8160), 1);
  EXPECT_EQ(convertSample(8159), 0);
  EXPECT_EQ(convertSample(-8160), -1);
  EXPECT_EQ(convertSample(-8159), 0);
  EXPECT_EQ(convertSample(16320 * 100 + 8159), 100);
  EXPECT_EQ(convertSample(32766 * 16320 + 8159), 32766);
  EXPECT_EQ(convertSample(32766 * 16320 + 8160), 32767);
  EXPECT_EQ(convertSample(-(32766 * 16320 + 8160)), -32767);
  EXPECT_EQ(convertSample(INT32_MAX), 32767);
  EXPECT_EQ(convertSample(INT32_MIN), -32767);
}

TEST(Conversion, VectorPathAgreesWithTheScalarOne) {
  if (!vectorAvailable())
    GTEST_SKIP() << "no vector unit on this host";
  std::vector<int32_t> sums = {0, 8159, 8160, -8160, -8159, INT32_MAX, INT32_MIN, 32766 * 16320 + 8160, -1};
  uint32_t seed = 7;
  while (sums.size() % 16 != 0 || sums.size() < 4096) {
    seed = seed * 1664525u + 1013904223u;
    sums.push_back(int32_t(seed) >> (seed % 12));
  }
  std::vector<int16_t> out(sums.size());
  convertVector(sums.data(), out.data(), uint32_t(sums.size()));
  for (size_t i = 0; i < sums.size(); ++i)
    ASSERT_EQ(out[i], convertSample(sums[i])) << sums[i];
}

// A two-row song with a looped square wave on channel 0 at full volume.
std::string squareSong(uint16_t bpm, uint8_t effect = 0, uint8_t parameter = 0) {
  XmModuleSpec m;
  m.bpm = bpm;
  m.addPattern(2).cell(0, 0) = {49, 1, 0, effect, parameter};
  XmInstrumentSpec &in = m.addInstrument();
  XmSampleSpec &s = in.addSample({20000, 20000, -20000, -20000});
  s.loopType = 1;
  s.loopLength = 4;
  return writeXm(m);
}

class Render : public ::testing::Test {
protected:
  void SetUp() override {
    paused = false;
    playOnce = false;
  }
  std::vector<int16_t> block = std::vector<int16_t>(2 * BlockFrames);
};

TEST_F(Render, PausedRendersSilenceAndHoldsTheSong) {
  LoadedSong loaded(squareSong(125));
  ASSERT_TRUE(loaded.loaded);
  paused = true;
  block.assign(block.size(), 7);
  EXPECT_EQ(renderBlock(block.data()), BlockFrames);
  EXPECT_EQ(block, std::vector<int16_t>(2 * BlockFrames));
  EXPECT_EQ(song.tickSamplesLeft, 0u);
  EXPECT_EQ(song.nextRow, 0);
}

TEST_F(Render, TicksSplitTheBlockAtTheirBoundaries) {
  LoadedSong loaded(squareSong(125)); // 960 frames per tick
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(renderBlock(block.data()), BlockFrames);
  EXPECT_EQ(song.tickSamplesLeft, 2 * 960u - BlockFrames);
  EXPECT_NE(block[2 * 200], 0); // the note sounds
}

TEST_F(Render, TempoChangeSetsTheLengthOfItsOwnTick) {
  LoadedSong loaded(squareSong(125, 0x0F, 0x20)); // F20: 32 BPM, 3750 frames per tick
  ASSERT_TRUE(loaded.loaded);
  renderBlock(block.data());
  EXPECT_EQ(song.tickSamplesLeft, 3750u - BlockFrames);
}

TEST_F(Render, PlayOnceEndStopsInsideTheBlock) {
  LoadedSong loaded(squareSong(125));
  ASSERT_TRUE(loaded.loaded);
  playOnce = true;
  // The first row's 6 ticks of 960 frames; the end comes at the last row's row tick.
  uint32_t total = 0, frames;
  while ((frames = renderBlock(block.data())) == BlockFrames)
    total += frames;
  EXPECT_EQ(total + frames, 6 * 960u);
}

} // namespace
