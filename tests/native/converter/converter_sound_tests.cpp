#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "ConverterFixture.h"
#include "ModWriter.h"
#include "XmFormat.h"
#include "XmReplay.h"
#include "XmState.h"

// How converted MOD files sound in the player: the pitch of every octave and
// finetune against a PAL Amiga, each channel's side, and the effects whose meaning
// differs between MOD and XM.

namespace {

constexpr double PalClock = 3546895.0; // a PAL Amiga plays period p at PalClock / p Hz
constexpr int CycleBytes = 32;
constexpr uint32_t FramesPerTick = 120000 / 125;
constexpr uint8_t SlowestSpeed = 31;
constexpr uint32_t RowFrames = SlowestSpeed * FramesPerTick;

// One cycle of a sine, looped over the whole sample.
ModSampleSpec sineSample(int finetune) {
  ModSampleSpec s;
  for (int i = 0; i < CycleBytes; ++i)
    s.data.push_back(int8_t(std::lround(100 * std::sin(2 * M_PI * i / CycleBytes))));
  s.finetune = finetune;
  s.loopLengthWords = CycleBytes / 2;
  return s;
}

double rowFrequency(const std::vector<int16_t> &pcm, int row) {
  return measuredFrequency(pcm, row * RowFrames + 4800, (row + 1) * RowFrames - 480);
}

// RMS of one side (0 left, 1 right) over [begin, end) frames.
double level(const std::vector<int16_t> &pcm, uint32_t begin, uint32_t end, int side) {
  double sum = 0;
  for (uint32_t f = begin; f < end; ++f)
    sum += double(pcm[2 * f + side]) * pcm[2 * f + side];
  return std::sqrt(sum / (end - begin));
}

double rowLevel(const std::vector<int16_t> &pcm, int row, int side) {
  return level(pcm, row * RowFrames + 4800, (row + 1) * RowFrames - 480, side);
}

// A MOD at the slowest speed whose row r plays what `cell` says on channel 0.
ModSpec slowSong() {
  ModSpec m;
  for (int finetune = -8; finetune < 8; ++finetune)
    m.samples.push_back(sineSample(finetune));
  m.cell(0, 0, 3) = {0, 0, 0xF, SlowestSpeed};
  return m;
}

TEST(ConvertedMod, EveryOctaveAndFinetunePlaysAtThePitchOfAPalAmiga) {
  // Row r: octave r / 16 (C of periods 1712, 856, 428, 214), finetune r % 16 - 8
  // from the sample of that finetune.
  ModSpec m = slowSong();
  m.orders = {0, 1};
  const int rows = 4 * 16;
  for (int r = 0; r < rows; ++r)
    m.cell(size_t(r / 64), r % 64, 0) = {uint16_t(1712 >> (r / 16)), uint8_t(r % 16 + 1), 0, 0};
  m.cell(1, 0, 3) = {0, 0, 0xF, SlowestSpeed};
  const auto loaded = convertAndLoad(writeMod(m));
  const std::vector<int16_t> pcm = renderLoaded(rows * RowFrames);
  for (int r = 0; r < rows; ++r) {
    const int period = 1712 >> (r / 16), finetune = r % 16 - 8;
    const double expected = PalClock / (period * std::exp2(-finetune / 96.0)) / CycleBytes;
    EXPECT_NEAR(rowFrequency(pcm, r) / expected, 1.0, 0.003)
        << "period " << period << ", finetune " << finetune;
  }
}

TEST(ConvertedMod, ChannelsPlayLeftRightRightLeftAndStayThere) {
  // Rows 0..3: channel r plays; row 4: channel 0 again, its instrument named alone,
  // which in XM sets the sample's own panning unless the cell says otherwise.
  ModSpec m = slowSong();
  for (int c = 0; c < 4; ++c)
    m.cell(0, c, c) = {428, 9, c == 3 ? uint8_t(0xF) : uint8_t(0), c == 3 ? SlowestSpeed : uint8_t(0)};
  for (int c = 0; c < 4; ++c)
    m.cell(0, c + 1, c) = {0, 0, 0xC, 0}; // the previous note ends
  m.cell(0, 3, 3).effect = 0xF;
  m.cell(0, 5, 0) = {428, 9, 0, 0};
  m.cell(0, 6, 0) = {0, 9, 0, 0};
  const auto loaded = convertAndLoad(writeMod(m));
  const std::vector<int16_t> pcm = renderLoaded(7 * RowFrames);
  const double left = rowLevel(pcm, 0, 0), right = rowLevel(pcm, 0, 1);
  EXPECT_GT(left, 2 * right) << "channel 0 is on the left";
  EXPECT_GT(right, 0.1 * left) << "but not only there: the separation is below 100%";
  for (int c : {1, 2}) {
    EXPECT_NEAR(rowLevel(pcm, c, 1), left, left * 0.01) << "channel " << c << " mirrors channel 0";
    EXPECT_NEAR(rowLevel(pcm, c, 0), right, right * 0.01) << "channel " << c;
  }
  EXPECT_NEAR(rowLevel(pcm, 3, 0), left, left * 0.01) << "channel 3 is on the left";
  EXPECT_NEAR(rowLevel(pcm, 6, 0) / rowLevel(pcm, 6, 1), left / right, 0.05 * left / right)
      << "an instrument number alone keeps the channel's side";
}

TEST(ConvertedMod, EffectsKeepTheirMeaningWhereXmDiffers) {
  ModSpec m = slowSong();
  const uint8_t sample = 9;                   // finetune 0
  m.cell(0, 0, 0) = {428, sample, 0x1, 0x02}; // slides up 2 a tick
  m.cell(0, 1, 0) = {0, 0, 0x1, 0x00};        // a MOD 100 slides nothing; XM's would repeat 2
  m.cell(0, 2, 0) = {428, sample, 0xA, 0x01}; // volume down 1 a tick
  m.cell(0, 3, 0) = {0, 0, 0xA, 0x00};        // a MOD A00 does nothing
  m.cell(0, 4, 0) = {428, sample, 0xE, 0x5F}; // finetune -1 eighth, which the player cannot do
  m.cell(0, 5, 0) = {428, sample, 0, 0};      // the sample's own finetune again
  m.cell(0, 6, 0) = {0, 0, 0xE, 0x01};        // the Amiga filter
  m.cell(0, 6, 1) = {0, 0, 0xE, 0x80};
  m.cell(0, 6, 2) = {0, 0, 0xE, 0xF1};
  const ConvertedModule converted = convert(writeMod(m));
  ASSERT_TRUE(converted.ok) << converted.rejection;
  std::string warnings;
  for (const std::string &w : converted.warnings)
    warnings += w + "\n";
  for (const char *dropped :
       {"E0x (the Amiga filter) dropped", "EFx (invert loop) dropped", "E5x (set finetune) dropped"})
    EXPECT_NE(warnings.find(dropped), std::string::npos) << warnings;

  LoadedSong loaded(converted.xm);
  ASSERT_TRUE(loaded.loaded);
  const std::vector<int16_t> pcm = renderLoaded(6 * RowFrames);
  EXPECT_NEAR(measuredFrequency(pcm, RowFrames + 480, RowFrames + 6000) /
                  measuredFrequency(pcm, 2 * RowFrames - 6000, 2 * RowFrames - 480),
              1.0, 0.001)
      << "no slide after 100";
  EXPECT_NEAR(level(pcm, 3 * RowFrames + 1000, 3 * RowFrames + 5800, 0) /
                  level(pcm, 4 * RowFrames - 6000, 4 * RowFrames - 1200, 0),
              1.0, 0.01)
      << "no slide after A00";
  EXPECT_NEAR(rowFrequency(pcm, 5) / (PalClock / 428 / CycleBytes), 1.0, 0.003)
      << "the sample keeps its tuning after an E5x";
}

// ProTracker, breaking or jumping on a row it also delays, enters the target one row on.
TEST(ConvertedMod, ABreakOrJumpOnADelayedRowEntersTheRowAfterItsTarget) {
  for (const uint8_t effect : {0xD, 0xB}) {
    ModSpec m;
    m.orders = {0, 1, 0};
    m.cell(0, 0, 3) = {0, 0, 0xE, 0xE1};
    m.cell(0, 0, 1) = {0, 0, effect, uint8_t(effect == 0xD ? 0x10 : 0x01)};
    m.cell(1, 0, 0) = {};
    const auto loaded = convertAndLoad(writeMod(m));
    while (song.order == 0 && runTick()) {
    }
    EXPECT_EQ(song.order, 1);
    EXPECT_EQ(song.row, effect == 0xD ? 11 : 1) << std::hex << int(effect);
  }
}

// F20 is BPM 32, unless the song would then last over ten minutes and is shorter with
// it as a speed: then it was written for vertical-blank timing.
TEST(ConvertedMod, TempoCommandsAreBpmUnlessTheSongWasTimedByTheVerticalBlank) {
  for (const int orders : {1, 5}) {
    ModSpec m;
    m.orders.assign(size_t(orders), 0);
    m.cell(0, 0, 0) = {0, 0, 0xF, 0x20};
    m.cell(0, 0, 1) = {0, 0, 0xF, 0x1F};
    const ConvertedModule converted = convert(writeMod(m));
    ASSERT_TRUE(converted.ok) << converted.rejection;
    LoadedSong loaded(converted.xm);
    ASSERT_TRUE(loaded.loaded);
    runTick();
    // One order at BPM 32 lasts 64 x 31 x 2.5 / 32 s, about 2.6 minutes.
    const bool vblank = orders == 5;
    EXPECT_EQ(song.samplesPerTick, vblank ? FramesPerTick : 120000 / 32) << orders << " orders";
    EXPECT_EQ(song.speed, 31);
    EXPECT_EQ(converted.warnings.size(), vblank ? 1u : 0u);
  }
  // Read as a speed, F60 is slower than XM's 31: the row lasts as long at a lower BPM
  // with a pattern delay, 96 ticks of the vertical blank.
  ModSpec m;
  m.orders.assign(5, 0);
  m.cell(0, 0, 0) = {0, 0, 0xF, 0x20};
  m.cell(0, 0, 1) = {0, 0, 0xF, 0x1F};
  m.cell(0, 63, 0) = {0, 0, 0xF, 0x60};
  const auto loaded = convertAndLoad(writeMod(m));
  uint32_t frames = 0;
  while (runTick() && song.order == 0)
    if (song.row == 63)
      frames += song.samplesPerTick;
  EXPECT_NEAR(frames, 96.0 * FramesPerTick, 0.01 * 96 * FramesPerTick);
}

// The first trackers: only a looped sample's loop plays, its start counted in bytes;
// the byte after the song length is the tempo; 1xy is an arpeggio and 2xy bends the
// pitch, and nothing else is a command. Once B-F appear, Fxx is a speed of 1 to 15.
TEST(ConvertedMod, SoundtrackerFilesPlayAsTheirTrackers) {
  ModSpec m;
  m.sampleSlots = 15;
  m.restartByte = 100; // a CIA timer of 140 x 122 cycles: BPM 103.8
  ModSampleSpec twoParts = sineSample(0);
  twoParts.data.insert(twoParts.data.begin(), 40, 100);
  twoParts.loopStartField = 40;
  m.samples = {twoParts};
  m.cell(0, 0, 0) = {428, 1, 0x1, 0x37};
  m.cell(0, 1, 0) = {0, 0, 0x2, 0x03};
  m.cell(0, 2, 0) = {0, 0, 0x2, 0x30};
  m.cell(0, 3, 0) = {0, 0, 0xA, 0x01};
  ConvertedModule converted = convert(writeMod(m));
  ASSERT_TRUE(converted.ok) << converted.rejection;
  EXPECT_EQ(converted.description, "4-channel Ultimate Soundtracker module, 15 samples -> XM");
  {
    LoadedSong loaded(converted.xm);
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(song.defaultBpm, 104);
    const XmSample &sample = *song.instruments[0].samples[0];
    EXPECT_EQ(sample.length, uint32_t(CycleBytes));
    EXPECT_EQ(sample.loopStart, 0u);
    EXPECT_EQ(sample.data[8], sineSample(0).data[8] << 8) << "the loop's own bytes";
    const XmCell *cells = song.patterns[0].cells;
    const uint8_t expected[4][2] = {
        {XmEffect::Arpeggio, 0x37}, {XmEffect::PortamentoUp, 3}, {XmEffect::PortamentoDown, 3}, {0, 0}};
    for (int row = 0; row < 4; ++row) {
      EXPECT_EQ(cells[row * 4].effect, expected[row][0]) << "row " << row;
      EXPECT_EQ(cells[row * 4].parameter, expected[row][1]) << "row " << row;
    }
  }
  m.cell(0, 4, 1) = {0, 0, 0xF, 0x1F};
  m.cell(0, 5, 1) = {0, 0, 0xF, 0x20};
  converted = convert(writeMod(m));
  EXPECT_EQ(converted.description, "4-channel Soundtracker module, 15 samples -> XM");
  LoadedSong loaded(converted.xm);
  ASSERT_TRUE(loaded.loaded);
  const XmCell *cells = song.patterns[0].cells;
  EXPECT_EQ(cells[0].effect, XmEffect::PortamentoUp);
  EXPECT_EQ(cells[4 * 4 + 1].parameter, 0x0F);
  EXPECT_EQ(cells[5 * 4 + 1].effect, 0) << "F20 sets no speed";
}

// Commands that ProTracker plays otherwise than the same ones in XM.
TEST(ConvertedMod, ProTrackerCommandsKeepTheirMeaning) {
  ModSpec m = slowSong();
  m.cell(0, 0, 0) = {428, 1, 0xE, 0x10};
  m.cell(0, 1, 0) = {0, 0, 0xE, 0x20};
  m.cell(0, 2, 0) = {0, 0, 0xE, 0xA0};
  m.cell(0, 3, 0) = {0, 0, 0xE, 0xB0};
  m.cell(0, 4, 0) = {428, 1, 0xE, 0xD0}; // plays at once
  m.cell(0, 5, 0) = {428, 1, 0xE, 0xC0}; // cut as it starts
  m.cell(0, 6, 0) = {0, 0, 0x8, 0xFF};   // panning that the next note keeps
  m.cell(0, 7, 0) = {428, 1, 0, 0};
  m.cell(0, 8, 1) = {170, 9, 0x1, 0x08}; // F-3: 57 periods above the limit of 113, 30 ticks
  m.cell(0, 9, 1) = {113, 9, 0xE, 0x1F}; // B-3: none
  m.cell(0, 12, 2) = {0, 0, 0xF, 0x00};  // the end
  const auto loaded = convertAndLoad(writeMod(m));
  const XmCell *cells = song.patterns[0].cells;
  for (int row = 0; row < 5; ++row)
    EXPECT_EQ(cells[row * 4].effect | cells[row * 4].parameter, 0) << "row " << row;
  EXPECT_EQ(cells[5 * 4].effect, XmEffect::SetVolume);
  EXPECT_EQ(cells[5 * 4].parameter, 0);
  EXPECT_EQ(cells[7 * 4].volume, XmVolumeColumn::SetPanning << 4 | 15);
  EXPECT_EQ(cells[8 * 4 + 1].parameter, 57 / (SlowestSpeed - 1));
  EXPECT_EQ(cells[9 * 4 + 1].effect, 0);
  playOnce = true;
  int rows = 0;
  do
    rows += song.tick == 0;
  while (runTick());
  EXPECT_EQ(rows, 13 + 1) << "F00 ends the song after its row and a silent one";
}

} // namespace
