#include <functional>
#include <tuple>

#include "ReplayFixture.h"

// Effects and volume-column commands, tick by tick: their memories and their ticks.

class Effects : public ReplayFixture {
protected:
  // Speed 6; row 0 holds C-4 with instrument 1 and full volume unless a test says otherwise.
  void SetUp() override {
    ReplayFixture::SetUp();
    basicSong(4);
    cell(0, 0, 0) = XmCell{C4, 1, 0x50, 0, 0};
  }
  void setEffect(int row, uint8_t effect, uint8_t parameter) {
    cell(0, row, 0).effect = effect;
    cell(0, row, 0).parameter = parameter;
  }
  std::vector<int> collect(int ticks, const std::function<int()> &value) {
    std::vector<int> values;
    for (int index = 0; index < ticks; ++index) {
      EXPECT_TRUE(runTick());
      values.push_back(value());
    }
    return values;
  }
  std::vector<int> atRowEnds(int rows, const std::function<int()> &value) {
    std::vector<int> values;
    for (int row = 0; row < rows; ++row)
      values.push_back(collect(song.speed, value).back());
    return values;
  }
  std::vector<int> triggerTicks(int ticks) {
    std::vector<int> found;
    for (int index = 0; index < ticks; ++index) {
      EXPECT_TRUE(runTick());
      if (channel().updateFlags & UpdateTrigger)
        found.push_back(index);
    }
    return found;
  }
  std::function<int()> periodDelta = [this] { return channel().periodDelta; };
  std::function<int()> volume = [this] { return channel().volume; };
  std::function<int()> period = [this] { return channel().period; };
  std::function<int()> volumeDelta = [this] { return channel().volumeDelta; };
};

TEST_F(Effects, ArpeggioPlaysBaseThenXThenYSemitonesFromTheRowTick) {
  setEffect(0, 0x0, 0x37);
  EXPECT_EQ(collect(6, periodDelta), (std::vector<int>{0, 192, 448, 0, 192, 448}));
  song.flags = 0;
  EXPECT_EQ(collect(6, periodDelta), (std::vector<int>{0, 0, 0, 0, 0, 0})); // row 1: no arpeggio
  setEffect(2, 0x0, 0x37);
  EXPECT_EQ(collect(3, periodDelta), (std::vector<int>{0, 1440 - 1712, 1143 - 1712}));
}

TEST_F(Effects, PortamentoUpStopsAtPeriodOneAndDownHasNoLimit) {
  setEffect(0, 0x1, 0xFF);
  setEffect(1, 0x2, 0x00);
  runRows(1);
  EXPECT_EQ(channel().period, 1);
  runRows(1);
  EXPECT_EQ(channel().period, 1 + 5 * 1020);
}

// Hours of sliding in one direction end at bounds far past anything audible instead of
// overflowing: the period plays at 0 Hz there, and the panning is sent as 255.
TEST_F(Effects, EndlessSlidesStopFarPastTheAudibleRange) {
  setEffect(1, 0x2, 0xFF);
  setEffect(2, 0xE, 0x1F);
  cell(0, 3, 0).volume = 0xEF;
  runRows(1);
  channel().period = (1 << 30) - 100;
  runRows(1);
  EXPECT_EQ(channel().period, 1 << 30);
  EXPECT_EQ(voices[0].stepInteger | voices[0].stepFraction, 0u);
  channel().period = -(1 << 30) + 10;
  runRows(1);
  EXPECT_EQ(channel().period, -(1 << 30));
  channel().panning = (1 << 24) - 5;
  runRows(1);
  EXPECT_EQ(channel().panning, 1 << 24);
  EXPECT_EQ(voices[0].finalPanning, 255);
}

TEST_F(Effects, TonePortamentoSlidesToTheNoteKeepsItsSpeedAndDoesNotRetrigger) {
  cell(0, 1, 0) = XmCell{61, 0, 0, 0x3, 0x05};
  setEffect(2, 0x3, 0x00);
  setEffect(3, 0x3, 0xFF);
  runRows(2);
  EXPECT_EQ(channel().portaTarget, 3840);
  EXPECT_EQ(channel().period, 4608 - 5 * 20);
  runRows(1);
  EXPECT_EQ(channel().period, 4608 - 10 * 20);
  EXPECT_EQ(channel().voice, &voices[0]);
  runTicks(2);
  EXPECT_EQ(channel().period, 3840); // reached, not overshot
}

TEST_F(Effects, TonePortamentoRowKeepsTheInstrumentButItsNumberStillResetsVolume) {
  instruments[0].samples[0]->volume = 40;
  addSample(addInstrument(), 100, 20);
  song.instrumentCount = 2;
  cell(0, 0, 0).volume = 0;
  cell(0, 1, 0) = XmCell{61, 2, 0, 0x3, 0x05};
  runRows(1);
  channel().volume = 10;
  runTicks(1);
  EXPECT_EQ(channel().instrumentIndex, 0);
  EXPECT_EQ(channel().volume, 40);
}

TEST_F(Effects, VibratoStepsOnTheRowTickTremoloOnlyLaterAndItsLastOffsetStays) {
  setEffect(0, 0x4, 0x48);
  runTicks(1);
  EXPECT_EQ(channel().vibratoPos, 4);
  EXPECT_EQ(collect(1, periodDelta), (std::vector<int>{24})); // 97 x 8 / 32, as FastTracker 2 scales it

  cell(0, 1, 0) = XmCell{0, 0, 0x30, 0x7, 0x7F};
  runTicks(4);
  EXPECT_EQ(collect(6, volumeDelta), (std::vector<int>{0, 0, 37, 58, 52, 22}));
  EXPECT_EQ(channel().tremoloPos, 35);
  runTicks(1);
  EXPECT_EQ(channel().volume, 32 + 22);
}

// An instrument number restarts the tremolo unless the wave control, read as signed, is 0x4F or
// more, and the vibrato unless bit 2 or 3 of its waveform is set.
TEST_F(Effects, InstrumentRestartsTheWavesAsTheWaveControlSays) {
  cell(0, 1, 0).instrument = 1;
  runRows(1);
  for (const auto &[control, tremoloKept, vibratoKept] : std::vector<std::tuple<uint8_t, bool, bool>>{
           {0x40, false, false}, {0x4F, true, true}, {0xC8, false, true}}) {
    channel().waveControl = control;
    channel().tremoloPos = channel().vibratoPos = 20;
    runTicks(1);
    EXPECT_EQ(channel().tremoloPos, tremoloKept ? 20 : 0) << int(control);
    EXPECT_EQ(channel().vibratoPos, vibratoKept ? 20 : 0) << int(control);
    runTicks(4 * song.speed - 1); // round to row 1 again
  }
}

TEST_F(Effects, VibratoWaveformsOverOnePeriod) {
  song.speed = 8;
  setEffect(1, 0x4, 0x8F); // a period in 8 ticks at full depth
  const std::vector<std::pair<uint8_t, std::vector<int>>> waveforms{
      {0x40, {0, 84, 119, 84, 0, -85, -120, -85}},           // sine: 255 x 15 / 32 at its peak
      {0x41, {119, 89, 59, 28, -2, -32, -63, -93}},          // ramp, falling
      {0x42, {119, 119, 119, 119, -120, -120, -120, -120}}}; // square
  for (const auto &waveform : waveforms) {
    setEffect(0, 0xE, waveform.first);
    runTicks(8);
    EXPECT_EQ(collect(8, periodDelta), waveform.second) << int(waveform.first);
    runTicks(16);
  }
}

TEST_F(Effects, VolumeSlideMemoryIsSharedByAxy5xyAnd6xy) {
  setEffect(0, 0xA, 0x02);
  setEffect(1, 0x6, 0x00);
  setEffect(2, 0xA, 0x10);
  setEffect(3, 0x5, 0x00);
  runRows(1);
  EXPECT_EQ(channel().volume, 64 - 10);
  runRows(1);
  EXPECT_EQ(channel().volume, 64 - 20);
  runRows(1);
  EXPECT_EQ(channel().volume, 64 - 15);
  runRows(1);
  EXPECT_EQ(channel().volume, 64 - 10);
}

TEST_F(Effects, SampleOffsetPastTheEndDoesNotStartTheNoteAndRewindsTheOldOne) {
  setEffect(0, 0x9, 0x02);
  cell(0, 1, 0) = XmCell{C4, 0, 0, 0x9, 0x04};
  runTicks(1);
  EXPECT_EQ(voices[0].position, 512u);
  voices[0].position = 700;
  runRows(1);
  EXPECT_EQ(channel().voice, &voices[0]);
  EXPECT_EQ(voices[0].position, 0u);
  EXPECT_EQ(channel().sampleOffset, 1024u);
}

TEST_F(Effects, FineVolumeSlidesShareOneMemoryWithItsDirection) {
  setEffect(0, 0xE, 0xB3);
  setEffect(1, 0xE, 0xA0);
  setEffect(2, 0xE, 0xA2);
  EXPECT_EQ(collect(12, volume).back(), 58);
  EXPECT_EQ(collect(1, volume).back(), 60);
}

TEST_F(Effects, NoteCutSilencesFromItsTickAndEC0NeverCuts) {
  setEffect(0, 0xE, 0xC3);
  cell(0, 2, 0) = XmCell{0, 0, 0x50, 0xE, 0xC0};
  EXPECT_EQ(collect(7, volume), (std::vector<int>{64, 64, 64, 0, 0, 0, 0}));
  runTicks(5);
  EXPECT_EQ(collect(6, volume), (std::vector<int>{64, 64, 64, 64, 64, 64}));
}

TEST_F(Effects, NoteDelayStartsOnItsTickWithDefaultVolumeThenTheVolumeColumn) {
  instruments[0].samples[0]->volume = 48;
  cell(0, 0, 0).volume = 0x20;
  setEffect(0, 0xE, 0xD3);
  runTicks(3);
  EXPECT_EQ(voices[0].sample, nullptr);
  runTicks(1);
  EXPECT_NE(voices[0].sample, nullptr);
  EXPECT_EQ(channel().volume, 16);
}

TEST_F(Effects, NoteDelayKeepsTheOldSoundUnchangedUntilItsTick) {
  cell(0, 1, 0) = XmCell{C4, 0, 0x62, 0xE, 0xD3};
  runRows(1);
  const int32_t before = voices[0].finalVolume;
  runTicks(3);
  EXPECT_EQ(voices[0].finalVolume, before);
  EXPECT_EQ(channel().voice, &voices[0]);
  runTicks(1);
  EXPECT_EQ(channel().voice, &voices[1]);
}

TEST_F(Effects, NoteDelayOfZeroNeverStartsTheNote) {
  setEffect(0, 0xE, 0xD0);
  runRows(1);
  EXPECT_EQ(voices[0].sample, nullptr);
}

TEST_F(Effects, RetriggerNoteOnEveryYthTick) {
  setEffect(0, 0xE, 0x92);
  setEffect(1, 0xE, 0x98);
  EXPECT_EQ(triggerTicks(12), (std::vector<int>{0, 2, 4}));
}

TEST_F(Effects, MultiRetriggerKeepsModeAndIntervalAndChangesTheVolume) {
  cell(0, 0, 0).volume = 0x10 + 41;
  setEffect(0, 27, 0x63); // two thirds, rounded down
  setEffect(1, 27, 0x00);
  setEffect(2, 27, 0x73); // half
  setEffect(3, 27, 0xD3); // +16
  EXPECT_EQ(triggerTicks(12), (std::vector<int>{0, 3, 9}));
  EXPECT_EQ(channel().volume, 18);
  EXPECT_EQ(atRowEnds(2, volume), (std::vector<int>{9, 25}));
  setEffect(0, 27, 0x93); // +1, when the song comes round again
  EXPECT_EQ(atRowEnds(1, volume), (std::vector<int>{42}));
}

TEST_F(Effects, TremorPlaysOnPlusOneTicksAndMutesOffPlusOneAcrossRows) {
  setEffect(0, 29, 0x13);
  setEffect(1, 29, 0x00);
  std::vector<int> heard = collect(12, [this] { return channel().volumeDelta == 0; });
  EXPECT_EQ(heard, (std::vector<int>{1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0}));
}

TEST_F(Effects, GlobalVolumeSetAndSlideClampAndRemember) {
  setEffect(0, 16, 0x3E);
  setEffect(1, 17, 0x10);
  setEffect(2, 17, 0x01);
  setEffect(3, 17, 0x00);
  EXPECT_EQ(collect(9, [] { return song.globalVolume; }),
            (std::vector<int>{62, 62, 62, 62, 62, 62, 62, 63, 64}));
  runTicks(9);
  EXPECT_EQ(song.globalVolume, 64 - 5);
  runTicks(6);
  EXPECT_EQ(song.globalVolume, 64 - 10);
  setEffect(0, 16, 0x7F);
  runTicks(1);
  EXPECT_EQ(song.globalVolume, 64);
}

TEST_F(Effects, PanningSetSlideWithMemoryAndFinePanning) {
  setEffect(0, 0x8, 0x80);
  setEffect(1, 25, 0xF0);
  setEffect(2, 25, 0x00);
  setEffect(3, 0xE, 0x84);
  EXPECT_EQ(atRowEnds(4, [this] { return channel().panning; }), (std::vector<int>{128, 128 + 75, 255, 64}));
  EXPECT_EQ(voices[0].finalPanning, 64);
}

TEST_F(Effects, ExtraFinePortamentoMovesOnceWithMemories) {
  setEffect(0, 33, 0x15);
  setEffect(1, 33, 0x10);
  setEffect(2, 33, 0x25);
  setEffect(3, 33, 0x35);
  EXPECT_EQ(atRowEnds(4, period), (std::vector<int>{4603, 4598, 4603, 4603}));
}

TEST_F(Effects, IgnoredEffectsChangeNothing) {
  for (const auto &effect : std::vector<std::pair<uint8_t, uint8_t>>{{18, 0xFF},
                                                                     {19, 0xFF},
                                                                     {22, 0x3F},
                                                                     {23, 0xFF},
                                                                     {24, 0xFF},
                                                                     {26, 0xFF},
                                                                     {28, 0xFF},
                                                                     {30, 0xFF},
                                                                     {31, 0xFF},
                                                                     {32, 0xFF},
                                                                     {34, 0xFF},
                                                                     {0xE, 0x0F},
                                                                     {0xE, 0x3F},
                                                                     {0xE, 0xFF}}) {
    setEffect(1, effect.first, effect.second);
    runRows(2);
    const ReplayChannel &state = channel();
    EXPECT_EQ(std::vector<int>({state.period, state.volume, state.panning, song.speed, song.globalVolume,
                                int(song.samplesPerTick), song.row}),
              std::vector<int>({4608, 64, 128, 6, 64, 960, 1}))
        << int(effect.first);
    runRows(2);
  }
}

TEST_F(Effects, VolumeColumnSetsSlidesAndTonePortamento) {
  cell(0, 0, 0).volume = 0x30;
  cell(0, 1, 0).volume = 0x5F;
  cell(0, 2, 0).volume = 0x62;
  cell(0, 3, 0) = XmCell{61, 0, 0xF1, 0, 0};
  runTicks(7);
  EXPECT_EQ(channel().volume, 32);
  runTicks(11);
  EXPECT_EQ(channel().volume, 32 - 12);
  runTicks(1);
  EXPECT_EQ(channel().period, 3840);
  EXPECT_EQ(channel().voice, &voices[0]);
  EXPECT_EQ(channel().tonePortaSpeed, 16);
}

TEST_F(Effects, VolumeColumnTonePortamentoSlidesOnLaterTicks) {
  cell(0, 1, 0) = XmCell{61, 0, 0, 0x3, 0x01};
  cell(0, 2, 0).volume = 0xF0;
  runRows(2);
  EXPECT_EQ(channel().period, 4608 - 5 * 4);
  runRows(1);
  EXPECT_EQ(channel().period, 4608 - 10 * 4);
}
