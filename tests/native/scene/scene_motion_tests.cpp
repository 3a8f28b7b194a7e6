#include <gtest/gtest.h>

#include <cmath>

#include "Scene.h"
#include "SceneTesting.h"

namespace {
std::string Str(const TByteString &s) { return std::string(s.Text(), size_t(s.Length())); }

void RunFrames(int count) {
  for (int i = 0; i < count; i++)
    AdvanceMotion();
}
} // namespace

TEST(SceneMotion, StarSpeedsAreTheRunsFirst256RandomNumbers) {
  ResetSceneMotion();
  PickStarSpeeds();
  // RandomBelow(100) from seed 0 gives 0, 3, 86, 20, 27, 67, 31, 16, ... and 45 as the 256th.
  const float first[] = {0, 0.003f, 0.086f, 0.020f, 0.027f, 0.067f, 0.031f, 0.016f};
  for (int k = 0; k < 8; k++)
    EXPECT_FLOAT_EQ(StarSpeed[k], first[k]) << k;
  EXPECT_FLOAT_EQ(StarSpeed[255], 0.045f);
  EXPECT_EQ(RandomSeed, 1962516224u);
  // The next draws would be 96 of 100, then 37 and 2 of 200.
  EXPECT_EQ(RandomBelow(100), 96u);
  EXPECT_EQ(RandomBelow(200), 37u);
  EXPECT_EQ(RandomBelow(200), 2u);
}

TEST(SceneMotion, StarsFlyAlongTheCentreLineUntilTheyRestart) {
  ResetSceneMotion();
  PickStarSpeeds();
  RunFrames(3);
  EXPECT_EQ(Stars[2].x, 0);
  EXPECT_EQ(Stars[2].z, 0);
  EXPECT_FLOAT_EQ(Stars[2].y, 3 * 0.086f);
  EXPECT_FLOAT_EQ(Stars[2].prevY, 2 * 0.086f);
  // Star 0 drew speed 0 and never moves, so it never restarts either.
  RunFrames(2000);
  EXPECT_EQ(Stars[0].y, 0);
  EXPECT_EQ(StarSpeed[0], 0);
}

TEST(SceneMotion, RestartingStarDrawsSpeedThenXThenZ) {
  ResetSceneMotion();
  PickStarSpeeds();
  // Star 2 (speed 0.086) is the fastest of the first few; it reaches 10 in frame 117.
  int frames = 0;
  float y = 0;
  while (y + StarSpeed[2] < 10.0f) {
    AdvanceMotion();
    y = Stars[2].y;
    frames++;
  }
  uint32_t seedBefore = RandomSeed;
  AdvanceMotion();
  // Other stars may restart in the same frame, but only star 0 and 1 come before 2
  // and they are too slow; so star 2 draws the first three numbers after the seed.
  RandomSeed = seedBefore;
  float speed = float(RandomBelow(100)) / 1000;
  float x = float(int32_t(RandomBelow(200)) - 100) / 100;
  float z = float(int32_t(RandomBelow(200)) - 100) / 100;
  EXPECT_GT(frames, 100);
  EXPECT_FLOAT_EQ(StarSpeed[2], speed);
  EXPECT_FLOAT_EQ(Stars[2].x, x);
  EXPECT_EQ(Stars[2].y, 0);
  EXPECT_FLOAT_EQ(Stars[2].z, z);
  EXPECT_EQ(Stars[2].prevX, Stars[2].x);
  EXPECT_EQ(Stars[2].prevY, 0);
  EXPECT_EQ(Stars[2].prevZ, Stars[2].z);
  EXPECT_GE(x, -1.0f);
  EXPECT_LT(z, 1.0f);
}

TEST(SceneMotion, WaveTableHoldsFourAndAHalfPeriodsOfAmplitudeOneTenth) {
  ResetSceneMotion();
  BuildWaveTable();
  EXPECT_EQ(WaveTable[0], 0);
  EXPECT_FLOAT_EQ(WaveTable[20], 0.1f);
  EXPECT_FLOAT_EQ(WaveTable[60], -0.1f);
  EXPECT_FLOAT_EQ(WaveTable[10], float(std::sqrt(0.5) / 10));
  EXPECT_NEAR(WaveTable[80], 0, 1e-8);
  EXPECT_FLOAT_EQ(WaveTable[340], 0.1f);
  // Entry 359 leads back to 0 from above: the slope turns round at the seam.
  EXPECT_FLOAT_EQ(WaveTable[359], float(std::sin(M_PI / 40) / 10));
}

TEST(SceneMotion, WavePhaseWrapsIntoTheTableAlsoBelowZero) {
  ResetSceneMotion();
  BuildWaveTable();
  EXPECT_EQ(WaveAt(365), WaveTable[5]);
  EXPECT_EQ(WaveAt(-1), WaveTable[359]);
  EXPECT_EQ(WaveAt(-360), WaveTable[0]);
  EXPECT_EQ(WaveAt(-725), WaveTable[355]);
}

TEST(SceneMotion, ScrollStartsAgainAfterFrame1800) {
  ResetSceneMotion();
  StartScroller();
  EXPECT_EQ(ScrollOffset, 1.0f); // what frame 1 draws with
  RunFrames(1799);
  EXPECT_NEAR(ScrollOffset, 9.995f, 0.001f); // frame 1800, the last of the cycle
  EXPECT_EQ(FramePhase, 1799);
  RunFrames(1);
  EXPECT_EQ(ScrollOffset, 1.0f); // frame 1801 is back at the start
  EXPECT_EQ(FramePhase, 1800);
}

TEST(SceneText, UpperAsciiChangesOnlyLowerCaseLetters) {
  EXPECT_EQ(Str(UpperAscii(TByteString("abc xyz{`}@Z09"))), "ABC XYZ{`}@Z09");
  EXPECT_EQ(Str(UpperAscii(TByteString("\xe4\xf6\x01"))), "\xe4\xf6\x01");
  EXPECT_EQ(Str(UpperAscii(TByteString())), "");
}

TEST(SceneText, GlyphsOfARowTouchAndAreCentredHalfAGlyphLeft) {
  GlyphQuad q;
  ASSERT_TRUE(GlyphQuadAt(0, 3, 'A', q));
  EXPECT_FLOAT_EQ(q.left, -0.16f);
  EXPECT_FLOAT_EQ(q.right, -0.08f);
  EXPECT_FLOAT_EQ(q.bottom, -0.04f);
  EXPECT_FLOAT_EQ(q.top, 0.04f);
  ASSERT_TRUE(GlyphQuadAt(2, 3, 'A', q));
  EXPECT_FLOAT_EQ(q.left, 0.0f);
  EXPECT_FLOAT_EQ(q.right, 0.08f);
  ASSERT_TRUE(GlyphQuadAt(0, 1, ' ', q));
  EXPECT_FLOAT_EQ(q.left + q.right, -0.08f);
  EXPECT_EQ(q.s0, 0);
  EXPECT_FLOAT_EQ(q.s1, 1.0f / 66);
}

TEST(SceneText, CellsFollowTheCharacterCode) {
  const float w = 1.0f / 66;
  GlyphQuad q;
  ASSERT_TRUE(GlyphQuadAt(0, 1, 'A', q));
  EXPECT_FLOAT_EQ(q.s0, 33 * w);
  EXPECT_EQ(q.s1, q.s0 + w);
  // "{" lies past the texture's right edge; repeating lands it in the cell of "9".
  ASSERT_TRUE(GlyphQuadAt(0, 1, '{', q));
  GlyphQuad nine;
  ASSERT_TRUE(GlyphQuadAt(0, 1, '9', nine));
  EXPECT_NEAR(q.s0 - 1.0f, nine.s0, 1e-6);
  EXPECT_FALSE(GlyphQuadAt(0, 1, 31, q));
  EXPECT_FALSE(GlyphQuadAt(0, 1, 0, q));
  EXPECT_TRUE(GlyphQuadAt(0, 1, 0xE4, q)); // bytes above 127 have cells too
}
