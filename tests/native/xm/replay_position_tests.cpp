#include "ReplayFixture.h"

// Song position: tick lengths, speed and tempo, jumps, breaks, loops, delays and the end.

using Trace = std::vector<std::pair<int, int>>;

class SongPosition : public ReplayFixture {
protected:
  void setEffect(int pattern, int row, int channelIndex, uint8_t effect, uint8_t parameter) {
    XmCell &target = cell(pattern, row, channelIndex);
    target.effect = effect;
    target.parameter = parameter;
  }
  // B03 and D10 on row 0 in the given channels; orders 1 to 3 play an empty pattern.
  Trace jumpAndBreakOnOneRow(int jumpChannel, int breakChannel) {
    channelCount = 2;
    addPattern(16);
    addPattern(16);
    setEffect(0, 0, jumpChannel, 0xB, 3);
    setEffect(0, 0, breakChannel, 0xD, 0x10);
    start({0, 1, 1, 1, 0});
    return rowTrace(2);
  }
};

TEST_F(SongPosition, TickLengthFollowsTempoAndFxxSetsSpeedOrTempo) {
  basicSong(4);
  setEffect(0, 1, 0, 0xF, 0x20);
  setEffect(0, 2, 0, 0xF, 0x1F);
  setEffect(0, 3, 0, 0xF, 0x00);
  runTicks(1);
  EXPECT_EQ(song.tickSamplesLeft, 960u);
  runRows(1); // F20 takes effect on its own row tick
  EXPECT_EQ(song.tickSamplesLeft, 3750u);
  runRows(1);
  EXPECT_EQ(song.speed, 31);
  runTicks(31); // row 3 sets speed 0: every tick is a row tick
  EXPECT_EQ(song.speed, 0);
  EXPECT_EQ(rowTrace(3), (Trace{{0, 0}, {0, 1}, {0, 2}}));
}

TEST_F(SongPosition, JumpBeforeBreakKeepsTheJumpsOrderAndTakesTheBreaksRow) {
  EXPECT_EQ(jumpAndBreakOnOneRow(0, 1), (Trace{{0, 0}, {3, 10}}));
}

TEST_F(SongPosition, BreakBeforeJumpEndsAtRowZeroOfTheJumpsOrder) {
  EXPECT_EQ(jumpAndBreakOnOneRow(1, 0), (Trace{{0, 0}, {3, 0}}));
}

TEST_F(SongPosition, BreakOnLastOrderGoesToOrderZeroNotRestart) {
  addPattern(1);
  addPattern(2);
  setEffect(1, 0, 0, 0xD, 0);
  start({0, 1});
  song.restartPosition = 1;
  EXPECT_EQ(rowTrace(4), (Trace{{0, 0}, {1, 0}, {0, 0}, {1, 0}}));
}

TEST_F(SongPosition, EndOfOrdersContinuesAtRestartPositionOrZeroWhenOutOfRange) {
  addPattern(1);
  start({0, 0, 0});
  song.restartPosition = 1;
  EXPECT_EQ(rowTrace(5), (Trace{{0, 0}, {1, 0}, {2, 0}, {1, 0}, {2, 0}}));
  song.restartPosition = 3; // the next position is already chosen at row tick of order 2
  EXPECT_EQ(rowTrace(3), (Trace{{1, 0}, {2, 0}, {0, 0}}));
}

TEST_F(SongPosition, PatternLoopPlaysRowsThreeTimesThenGoesOn) {
  basicSong(16, 1);
  setEffect(0, 4, 0, 0xE, 0x60);
  setEffect(0, 8, 0, 0xE, 0x62);
  std::vector<int> rows;
  for (const auto &position : rowTrace(20))
    rows.push_back(position.second);
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 9}));
}

TEST_F(SongPosition, PatternDelayStretchesTheRowAndTicksCountOn) {
  channelCount = 2;
  basicSong(2);
  setEffect(0, 0, 0, 0xE, 0xE2);
  cell(0, 0, 1).note = C4;
  setEffect(0, 0, 1, 0xE, 0x96);
  std::vector<int> retriggerTicks;
  int ticks = 0;
  do {
    ASSERT_TRUE(runTick());
    if (channel(1).updateFlags & UpdateTrigger)
      retriggerTicks.push_back(ticks);
    ++ticks;
  } while (song.tick != 0);
  EXPECT_EQ(ticks, 18);
  EXPECT_EQ(retriggerTicks, (std::vector<int>{0, 6, 12}));
}

TEST_F(SongPosition, PlayOnceEndsAtTheRowTickOfTheLastRow) {
  addPattern(2);
  start({0});
  playOnce = true;
  runTicks(6);
  EXPECT_FALSE(runTick());
}

TEST_F(SongPosition, PlayOnceSongWrappedByABreakGoesOn) {
  addPattern(2);
  setEffect(0, 1, 0, 0xD, 0);
  start({0});
  playOnce = true;
  runRows(10);
  EXPECT_EQ(song.order, 0);
}

TEST_F(SongPosition, BreakToARowThePatternLacksStartsAtRowZero) {
  addPattern(1);
  addPattern(8);
  setEffect(0, 0, 0, 0xD, 0x40);
  start({0, 1});
  EXPECT_EQ(rowTrace(2), (Trace{{0, 0}, {1, 0}}));
}

TEST_F(SongPosition, ModuleWithoutInstrumentsPlaysSilently) {
  addPattern(1);
  cell(0, 0, 0) = XmCell{C4, 1, 0x50, 0, 0};
  start({0});
  song.instruments = nullptr;
  runTicks(12);
  EXPECT_EQ(voices[0].sample, &silentSample);
  EXPECT_EQ(voices[0].finalVolume, 0);
}
