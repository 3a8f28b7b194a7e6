#include "ReplayFixture.h"

// Volume envelopes as the row and later ticks step them: segments, sustain, loop,
// key-off, Lxx and fadeout.

class Envelopes : public ReplayFixture {
protected:
  // A note with instrument 1 on row 0; the envelope is the instrument's volume envelope.
  XmInstrument &songWithEnvelope(std::vector<XmEnvelopePoint> points, uint8_t type, uint8_t speed = 31) {
    basicSong(4, speed);
    XmInstrument &instrument = instruments[0];
    for (size_t index = 0; index < points.size(); ++index)
      instrument.volumeEnvelope[index] = points[index];
    instrument.volumePointCount = uint8_t(points.size());
    instrument.volumeType = type;
    cell(0, 0, 0) = XmCell{C4, 1, 0, 0, 0};
    return instrument;
  }
  std::vector<int> volumeValues(int ticks) {
    std::vector<int> values;
    for (int index = 0; index < ticks; ++index) {
      EXPECT_TRUE(runTick());
      values.push_back(channel().volEnvValue);
    }
    return values;
  }
};

TEST_F(Envelopes, FallingSegmentStepsOncePerTickAndStaysAtTheLastPoint) {
  songWithEnvelope({{0, 64}, {10, 0}}, 1);
  EXPECT_EQ(volumeValues(13), (std::vector<int>{64, 57, 51, 44, 38, 32, 25, 19, 12, 6, 0, 0, 0}));
  EXPECT_TRUE(channel().volEnvFinished);
}

TEST_F(Envelopes, SustainHoldsUntilKeyOffThenTheEnvelopeGoesOn) {
  XmInstrument &instrument = songWithEnvelope({{0, 64}, {4, 32}, {8, 0}}, 3, 8);
  instrument.volumeSustain = 1;
  instrument.fadeout = 4096;
  cell(0, 1, 0).note = 97;
  EXPECT_EQ(volumeValues(8), (std::vector<int>{64, 56, 48, 40, 32, 32, 32, 32}));
  EXPECT_EQ(channel().fadeoutVolume, 65536);
  EXPECT_EQ(volumeValues(6), (std::vector<int>{32, 24, 16, 8, 0, 0}));
  EXPECT_EQ(channel().fadeoutVolume, 65536 - 6 * 4096);
}

TEST_F(Envelopes, SustainPointThatEndsALoopDoesNotHold) {
  XmInstrument &instrument = songWithEnvelope({{0, 64}, {4, 32}, {8, 0}}, 7);
  instrument.volumeSustain = 1;
  instrument.volumeLoopEnd = 1;
  EXPECT_EQ(volumeValues(10), (std::vector<int>{64, 56, 48, 40, 64, 56, 48, 40, 64, 56}));
}

TEST_F(Envelopes, LxxBeyondTheLastPointFinishesAndL00Restarts) {
  songWithEnvelope({{0, 64}, {10, 0}}, 1, 2);
  cell(0, 1, 0) = XmCell{0, 0, 0, 21, 20};
  cell(0, 2, 0) = XmCell{0, 0, 0, 21, 0};
  EXPECT_EQ(volumeValues(4), (std::vector<int>{64, 57, 0, 0}));
  EXPECT_TRUE(channel().volEnvFinished);
  EXPECT_EQ(volumeValues(2), (std::vector<int>{64, 57}));
  EXPECT_FALSE(channel().volEnvFinished);
}

TEST_F(Envelopes, DamagedEnvelopesStayInsideTheirPointsAndInRange) {
  // Too many points, a loop start past them, a value above 64, and a point behind
  // its predecessor that the envelope never reaches.
  XmInstrument &instrument = songWithEnvelope({{0, 0}, {100, 65535}, {50, 0}}, 5);
  instrument.volumePointCount = 200;
  instrument.volumeLoopStart = 100;
  instrument.volumeLoopEnd = 1;
  // On a heap block of its own, so that a read past the record is caught.
  const auto lone = std::make_unique<XmInstrument>(instrument);
  song.instruments = lone.get();
  runTicks(1);
  cell(0, 0, 0) = XmCell{}; // the note starts once
  for (int tick = 0; tick < 40000; ++tick) {
    ASSERT_TRUE(runTick());
    ASSERT_GE(channel().volEnvValue, 0);
    ASSERT_LE(channel().volEnvValue, 64);
  }
}

// On its first tick a delayed note takes the envelope's last level only as on or off:
// above 9 it sounds at full level, else silent.
TEST_F(Envelopes, NoteDelayTurnsTheLastEnvelopeLevelIntoFullOrSilence) {
  XmInstrument &instrument = songWithEnvelope({{0, 10}}, 1, 2);
  for (int row : {1, 3})
    cell(0, row, 0) = XmCell{C4, 0, 0, 0xE, 0xD1};
  runTicks(4);
  EXPECT_EQ(channel().volEnvValue, 64);
  instrument.volumeEnvelope[0].y = 9;
  runTicks(4);
  EXPECT_EQ(channel().volEnvValue, 0);
}

TEST_F(Envelopes, InstrumentResetCentresThePanningEnvelope) {
  basicSong(1);
  cell(0, 0, 0) = XmCell{C4, 1, 0, 0, 0};
  runTicks(1);
  EXPECT_EQ(voices[0].finalPanning, 128);
}

TEST_F(Envelopes, KeyOffWithoutVolumeEnvelopeSilencesAtOnce) {
  basicSong(2, 2);
  cell(0, 0, 0) = XmCell{C4, 1, 0, 0, 0};
  cell(0, 1, 0) = XmCell{97, 0, 0, 0, 0};
  runTicks(2);
  EXPECT_GT(voices[0].finalVolume, 0);
  runTicks(1);
  EXPECT_EQ(channel().volEnvValue, 0);
  EXPECT_EQ(voices[0].finalVolume, 0);
}

TEST_F(Envelopes, InstrumentWithoutNoteResetsEnvelopeAndFadeoutButDoesNotRetrigger) {
  XmInstrument &instrument = songWithEnvelope({{0, 64}, {10, 0}}, 1, 4);
  instrument.fadeout = 1000;
  cell(0, 1, 0) = XmCell{97, 0, 0, 0, 0};
  cell(0, 2, 0) = XmCell{0, 1, 0, 0, 0};
  runTicks(8);
  EXPECT_LT(channel().fadeoutVolume, 65536);
  runTicks(1);
  EXPECT_EQ(channel().fadeoutVolume, 65536);
  EXPECT_EQ(channel().volEnvValue, 64);
  EXPECT_EQ(channel().voice, &voices[0]);
}
