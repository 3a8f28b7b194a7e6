#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ConverterFixture.h"
#include "S3mReader.h"
#include "S3mWriter.h"
#include "ScreamWalk.h"
#include "XmFormat.h"
#include "XmState.h"

// What the converter makes of S3M modules: Scream Tracker's tuning, sides and
// orders, its shared parameter memory, its commands where XM plays them otherwise,
// the channels' panning, and files that promise more than they hold.

namespace {

namespace fs = std::filesystem;

constexpr int CycleBytes = 32;
constexpr uint8_t SlowestSpeed = 31;
constexpr uint32_t RowFrames = SlowestSpeed * 120000 / 125;

S3mSampleSpec sineSample(uint32_t c4Speed) {
  S3mSampleSpec s;
  for (int i = 0; i < CycleBytes; ++i)
    s.data.push_back(int8_t(std::lround(100 * std::sin(2 * M_PI * i / CycleBytes))));
  s.c4Speed = c4Speed;
  s.loop = true;
  return s;
}

S3mSpec slowSong() {
  S3mSpec s;
  s.speed = SlowestSpeed;
  s.samples.push_back(sineSample(12000));
  s.cell(0, 63, 0); // the pattern exists
  return s;
}

double rowLevel(const std::vector<int16_t> &pcm, int row, int side) {
  double sum = 0;
  const uint32_t begin = row * RowFrames + 4800, end = (row + 1) * RowFrames - 480;
  for (uint32_t f = begin; f < end; ++f)
    sum += double(pcm[2 * f + side]) * pcm[2 * f + side];
  return std::sqrt(sum / (end - begin));
}

const uint8_t *bytesOf(const std::string &bytes) { return reinterpret_cast<const uint8_t *>(bytes.data()); }

const XmCell &loadedCell(size_t pattern, int row, int channel) {
  return song.patterns[pattern].cells[size_t(row) * song.channelCount + size_t(channel)];
}

std::string allWarnings(const ConvertedModule &m) {
  std::string text;
  for (const std::string &w : m.warnings)
    text += w + "\n";
  return text;
}

TEST(ConvertedS3m, PlaysEachSampleAtItsC4SpeedOnItsChannelsSide) {
  // Channel 0 (L1) plays C-4 on row 0, channel 1 (R1) C-5 on row 1. The orders skip
  // an entry and end before the pattern behind the end entry.
  S3mSpec s = slowSong();
  s.orders = {254, 0, 255, 1};
  s.cell(0, 0, 0) = {S3mNote(4, 0), 1};
  s.cell(0, 1, 0) = {S3mNoteCut};
  s.cell(0, 1, 1) = {S3mNote(5, 0), 1};
  s.cell(1, 0, 0) = {S3mNote(6, 0), 1};
  const ConvertedModule m = convert(writeS3m(s));
  ASSERT_TRUE(m.ok) << m.rejection;
  EXPECT_EQ(m.description.rfind("2-channel Scream Tracker 3.20 S3M module, 1 sample -> XM, ", 0), 0u)
      << m.description;
  LoadedSong loaded(m.xm);
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.songLength, 1);
  const std::vector<int16_t> pcm = renderLoaded(2 * RowFrames);
  EXPECT_NEAR(measuredFrequency(pcm, 4800, RowFrames - 480), 12000.0 / CycleBytes, 0.5);
  EXPECT_NEAR(measuredFrequency(pcm, RowFrames + 4800, 2 * RowFrames - 480), 24000.0 / CycleBytes, 1.0);
  EXPECT_GT(rowLevel(pcm, 0, 0), 1.5 * rowLevel(pcm, 0, 1)) << "L1 plays on the left";
  EXPECT_GT(rowLevel(pcm, 1, 1), 1.5 * rowLevel(pcm, 1, 0)) << "R1 plays on the right";
}

TEST(ConvertedS3m, ResolvesEveryZeroParameterAsScreamTrackersMemoryWould) {
  // Channel 0: one memory for most commands, G and O each their own. Channel 1:
  // pattern 0 is entered with D03 remembered, then with D05.
  S3mSpec s = slowSong();
  s.orders = {1, 0, 2, 0};
  s.cell(0, 0, 0) = {S3mNote(4, 0), 1, S3mNoVolume, 'D', 0x04};
  s.cell(0, 1, 0) = {S3mNoNote, 0, S3mNoVolume, 'E', 0x00}; // E04
  s.cell(0, 2, 0) = {S3mNoNote, 0, S3mNoVolume, 'G', 0x10};
  s.cell(0, 3, 0) = {S3mNoNote, 0, S3mNoVolume, 'D', 0x02};
  s.cell(0, 4, 0) = {S3mNoNote, 0, S3mNoVolume, 'G', 0x00}; // G10, not G02
  s.cell(0, 5, 0) = {S3mNoNote, 0, S3mNoVolume, 'O', 0x20};
  s.cell(0, 6, 0) = {S3mNoNote, 0, S3mNoVolume, 'K', 0x00}; // K02
  s.cell(0, 7, 0) = {S3mNoNote, 0, S3mNoVolume, 'O', 0x00}; // O20
  s.cell(0, 0, 1) = {S3mNoNote, 0, S3mNoVolume, 'D', 0x00};
  s.cell(1, 0, 1) = {S3mNoNote, 0, S3mNoVolume, 'D', 0x03};
  s.cell(2, 0, 1) = {S3mNoNote, 0, S3mNoVolume, 'D', 0x05};
  const auto loaded = convertAndLoad(writeS3m(s));
  const size_t first = song.orderTable[1], second = song.orderTable[3];
  const struct {
    int row;
    uint8_t effect, parameter;
  } expected[] = {
      {1, XmEffect::PortamentoDown, 0x04},
      {4, XmEffect::TonePortamento, 0x10},
      {6, XmEffect::VibratoVolumeSlide, 0x02},
      {7, XmEffect::SampleOffset, 0x20},
  };
  for (const auto &e : expected)
    for (size_t pattern : {first, second}) {
      EXPECT_EQ(loadedCell(pattern, e.row, 0).effect, e.effect) << "row " << e.row;
      EXPECT_EQ(loadedCell(pattern, e.row, 0).parameter, e.parameter) << "row " << e.row;
    }
  EXPECT_NE(first, second) << "the pattern is played from a copy the second time";
  EXPECT_EQ(loadedCell(first, 0, 1).parameter, 0x03);
  EXPECT_EQ(loadedCell(second, 0, 1).parameter, 0x05);
}

TEST(ConvertedS3m, CommandsPlayAsScreamTrackerPlaysThem) {
  // Row r plays case r on channel 0; the mapping where XM reads a command otherwise.
  const struct {
    char command;
    uint8_t parameter, effect, xmParameter;
  } cases[] = {
      {'D', 0x0F, XmEffect::VolumeSlide, 0x0F},         // down by F, not a fine slide
      {'D', 0xF0, XmEffect::VolumeSlide, 0xF0},         // up by F
      {'D', 0x3F, XmEffect::Extended, 0xA3},            // fine up
      {'D', 0xF3, XmEffect::Extended, 0xB3},            // fine down
      {'D', 0x24, XmEffect::VolumeSlide, 0x04},         // the downward digit wins
      {'E', 0xF2, XmEffect::Extended, 0x22},            // fine
      {'E', 0xE2, XmEffect::ExtraFinePortamento, 0x22}, // extra fine
      {'F', 0xE2, XmEffect::ExtraFinePortamento, 0x12}, //
      {'H', 0x42, XmEffect::Vibrato, 0x42},             // as deep as XM's
      {'U', 0x48, XmEffect::Vibrato, 0x42},             // a quarter of H
      {'R', 0x48, XmEffect::Tremolo, 0x44},             // half as deep as XM's
      {'S', 0xD0, 0, 0},                                // a delay of 0 plays at once
      {'S', 0xC0, 0, 0},                                // a cut at 0 does nothing
      {'S', 0x85, XmEffect::SetPanning, 0x55},          //
      {'C', 0x12, XmEffect::PatternBreak, 0x12},        // row 12, stored as decimal digits
      {'A', 0x40, XmEffect::SpeedOrTempo, 0x1F},        // no pass plays the row: XM's slowest
      {'T', 0x1F, 0, 0},                                // no tempo below 32
      {'V', 0x50, XmEffect::SetGlobalVolume, 0x40},     //
      {'X', 0x40, XmEffect::SetPanning, 0x80},          //
  };
  const int count = int(std::size(cases));
  S3mSpec s = slowSong();
  s.channelSettings = {0, 8, 1};
  for (int r = 0; r < count; ++r)
    s.cell(0, r, 0) = {S3mNoNote, 0, S3mNoVolume, cases[r].command, cases[r].parameter};
  s.cell(0, count, 0) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xE0}; // SE0 does not take the row's delay
  s.cell(0, count, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xE3};
  s.cell(1, 0, 0) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xE2}; // the first delay wins
  s.cell(1, 0, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xE5};
  s.cell(1, 0, 2) = {S3mNoNote, 0, S3mNoVolume, 'F', 0xF4}; // played on each of the row's three times
  s.cell(1, 1, 0) = {S3mNoNote, 0, S3mNoVolume, 'C', 0x05}; // the jump's order at the break's row
  s.cell(1, 1, 1) = {S3mNoNote, 0, S3mNoVolume, 'B', 0x00};
  s.orders = {0, 1};
  const ConvertedModule m = convert(writeS3m(s));
  ASSERT_TRUE(m.ok) << m.rejection;
  LoadedSong loaded(m.xm);
  for (int r = 0; r < count; ++r) {
    EXPECT_EQ(loadedCell(0, r, 0).effect, cases[r].effect) << cases[r].command << int(cases[r].parameter);
    EXPECT_EQ(loadedCell(0, r, 0).parameter, cases[r].xmParameter)
        << cases[r].command << int(cases[r].parameter);
  }
  EXPECT_EQ(loadedCell(0, count, 0).effect, 0);
  EXPECT_EQ(loadedCell(0, count, 1).parameter, 0xE3);
  EXPECT_EQ(loadedCell(1, 0, 0).parameter, 0xE2);
  EXPECT_EQ(loadedCell(1, 0, 1).effect, 0);
  EXPECT_EQ(loadedCell(1, 0, 2).parameter, XmExtended::FinePortamentoUp << 4 | 12);
  EXPECT_EQ(loadedCell(1, 1, 0).effect, XmEffect::PositionJump);
  EXPECT_EQ(loadedCell(1, 1, 1).effect, XmEffect::PatternBreak);
  EXPECT_EQ(loadedCell(1, 1, 1).parameter, 0x05);

  // Scream Tracker 3.00's volume slides also slide on the row's first tick.
  S3mSpec fast = slowSong();
  fast.trackerVersion = 0x1300;
  fast.cell(0, 0, 0) = {S3mNoNote, 0, S3mNoVolume, 'D', 0x04};
  fast.cell(0, 1, 0) = {S3mNoNote, 0, 40, 'D', 0x30};
  const auto fastLoaded = convertAndLoad(writeS3m(fast));
  EXPECT_EQ(loadedCell(0, 0, 0).volume, XmVolumeColumn::FineSlideDown << 4 | 4);
  EXPECT_EQ(loadedCell(0, 1, 0).volume, XmVolumeColumn::SetFirst + 43);
}

TEST(ConvertedS3m, SampleOffsetsPastTheEndGoRoundTheLoopOrAreSilent) {
  S3mSpec s = slowSong();
  s.samples[0].data.assign(1024, 10);
  s.samples.push_back(s.samples[0]);
  s.samples.back().loop = false;
  s.cell(0, 0, 0) = {S3mNote(4, 0), 1, S3mNoVolume, 'O', 0x05}; // 1280: 256 frames into the loop again
  s.cell(0, 1, 0) = {S3mNote(4, 0), 2, S3mNoVolume, 'O', 0x05};
  s.cell(0, 2, 0) = {S3mNote(4, 0), 2, S3mNoVolume, 'O', 0x03};
  const auto loaded = convertAndLoad(writeS3m(s));
  EXPECT_EQ(loadedCell(0, 0, 0).effect, XmEffect::SampleOffset);
  EXPECT_EQ(loadedCell(0, 0, 0).parameter, 0x01);
  EXPECT_EQ(loadedCell(0, 1, 0).effect, XmEffect::SetVolume);
  EXPECT_EQ(loadedCell(0, 1, 0).parameter, 0);
  EXPECT_EQ(loadedCell(0, 2, 0).parameter, 0x03);
}

// XM takes a sample's panning with every instrument number, and with a tone
// portamento the volume of the sample playing; Scream Tracker does neither. Each
// sample takes the panning it plays at most often, so that only its other notes
// need the channel's set again.
TEST(ConvertedS3m, InstrumentNumbersKeepTheChannelsPanningAndTheSampleATonePortamentoSlides) {
  S3mSpec s = slowSong();
  s.samples.push_back(sineSample(8363));
  s.samples.back().volume = 20;
  s.samples.push_back(sineSample(8363));
  for (int row = 10; row < 16; ++row) // samples 1 and 2 play most on the left
    s.cell(0, row, 0) = {S3mNote(4, 0), uint8_t(row < 14 ? 1 : 2)};
  s.cell(0, 0, 1) = {S3mNote(4, 0), 1};                         // R1: XM's 8xx sets it again
  s.cell(0, 1, 1) = {S3mNote(4, 0), 1, 32, 'D', 0x04};          // the instrument only repeats
  s.cell(0, 2, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0x80};     // hard left, a volume-column step
  s.cell(0, 3, 1) = {S3mNote(4, 0), 1, S3mNoVolume, 'D', 0x04}; //
  s.cell(0, 4, 1) = {S3mNote(4, 0), 2, 32, 'D', 0x04};          // no room
  s.cell(0, 5, 1) = {S3mNote(5, 0), 2, S3mNoVolume, 'G', 0x10}; // sample 1 slides at 2's volume
  s.cell(0, 6, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0x8C};     // R1 again
  s.cell(0, 7, 1) = {S3mNote(4, 0), 3};                         // sample 3 plays only here
  const ConvertedModule m = convert(writeS3m(s));
  ASSERT_TRUE(m.ok) << m.rejection;
  EXPECT_NE(
      allWarnings(m).find("plays at the sample's panning, which XM takes again with the instrument (1 time)"),
      std::string::npos)
      << allWarnings(m);
  LoadedSong loaded(m.xm);
  EXPECT_EQ(song.instruments[0].samples[0]->panning, 3 * 17);
  EXPECT_EQ(loadedCell(0, 0, 1).effect, XmEffect::SetPanning);
  EXPECT_EQ(loadedCell(0, 0, 1).parameter, 12 * 17);
  EXPECT_EQ(loadedCell(0, 1, 1).instrument, 0);
  EXPECT_EQ(loadedCell(0, 1, 1).volume, XmVolumeColumn::SetFirst + 32);
  EXPECT_EQ(loadedCell(0, 3, 1).volume, XmVolumeColumn::SetPanning << 4 | 0);
  EXPECT_EQ(loadedCell(0, 4, 1).instrument, 2);
  EXPECT_EQ(loadedCell(0, 5, 1).instrument, 0);
  EXPECT_EQ(loadedCell(0, 5, 1).volume, XmVolumeColumn::SetFirst + 20);
  EXPECT_EQ(song.instruments[2].samples[0]->panning, 12 * 17);
  EXPECT_EQ(loadedCell(0, 7, 1).effect, 0);
  EXPECT_EQ(loadedCell(0, 7, 1).volume, 0);
}

// Scream Tracker keeps one loop for all channels, and starts a loop after the end
// of the last; the player one per channel, from its last E60.
TEST(ConvertedS3m, PatternLoopsAreOneForAllChannels) {
  S3mSpec s = slowSong();
  s.cell(0, 0, 0) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xB0};
  s.cell(0, 2, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xB1}; // rows 0-2 twice
  s.cell(0, 4, 0) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xB1}; // rows 3-4 twice
  s.cell(0, 5, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xB2}; // row 5 three times
  const std::string bytes = writeS3m(s);
  std::vector<size_t> rows;
  for (const ScreamPlayedRow &played : ScreamRowsOfOnePass(ReadS3m(bytesOf(bytes), bytes.size()).song))
    rows.push_back(played.row);
  rows.resize(14);
  EXPECT_EQ(rows, (std::vector<size_t>{0, 1, 2, 0, 1, 2, 3, 4, 3, 4, 5, 5, 5, 6}));
  const auto loaded = convertAndLoad(bytes);
  ASSERT_EQ(song.channelCount, 3);
  const struct {
    int row;
    uint8_t parameter;
  } expected[] = {{0, 0x60}, {2, 0x61}, {3, 0x60}, {4, 0x61}, {5, 0xE2}};
  for (const auto &e : expected) {
    EXPECT_EQ(loadedCell(0, e.row, 2).effect, XmEffect::Extended) << "row " << e.row;
    EXPECT_EQ(loadedCell(0, e.row, 2).parameter, e.parameter) << "row " << e.row;
  }
  for (int row = 0; row < 6; ++row)
    for (int c = 0; c < 2; ++c)
      EXPECT_EQ(loadedCell(0, row, c).effect, 0) << "row " << row << ", channel " << c;
}

// A cut becomes XM's key-off, after which XM keeps the channel silent until an
// instrument number, and an instrument number alone brings the old sound back.
TEST(ConvertedS3m, NotesAfterACutPlayAndInstrumentNumbersAloneDoNot) {
  S3mSpec s = slowSong();
  s.samples.push_back(sineSample(8363));
  s.samples.back().volume = 40;
  s.cell(0, 0, 0) = {S3mNoNote, 2, 15}; // before the first note: the volume is not kept
  s.cell(0, 1, 0) = {S3mNote(4, 0)};    // instrument 2 at 40
  s.cell(0, 2, 0) = {S3mNoteCut};       //
  s.cell(0, 3, 0) = {S3mNoNote, 0, 20}; //
  s.cell(0, 4, 0) = {S3mNote(4, 0)};    // instrument 2 at 20
  s.cell(0, 5, 0) = {S3mNoteCut};       //
  s.cell(0, 6, 0) = {S3mNoNote, 1};     // stays silent
  s.cell(0, 7, 0) = {S3mNote(4, 0)};    // instrument 1 at its 64
  const auto loaded = convertAndLoad(writeS3m(s));
  const struct {
    int row;
    uint8_t instrument, volume;
  } expected[] = {{0, 0, 0x10 + 15}, {1, 2, 0}, {2, 0, 0}, {4, 2, 0x10 + 20}, {6, 0, 0}, {7, 1, 0}};
  for (const auto &e : expected) {
    EXPECT_EQ(loadedCell(0, e.row, 0).instrument, e.instrument) << "row " << e.row;
    EXPECT_EQ(loadedCell(0, e.row, 0).volume, e.volume) << "row " << e.row;
  }
  EXPECT_EQ(loadedCell(0, 2, 0).note, KeyOffNote);
}

// Scream Tracker's retrigger counts on across rows; the player's from each row's
// first tick, where it never retriggers.
TEST(ConvertedS3m, RetriggersCountOnAcrossRows) {
  S3mSpec s = slowSong();
  s.speed = 6;
  s.cell(0, 0, 0) = {S3mNote(4, 0), 1, S3mNoVolume, 'Q', 0x03};
  s.cell(0, 1, 0) = {S3mNoNote, 0, S3mNoVolume, 'Q', 0x03}; // tick 6: struck again
  s.cell(0, 2, 0) = {S3mNoNote, 0, S3mNoVolume, 'Q', 0x04}; // 3 ticks since tick 9: not yet
  s.cell(0, 3, 0) = {S3mNoNote, 0, S3mNoVolume, 'Q', 0x03}; // a tick since tick 17: not yet
  s.cell(0, 4, 0) = {S3mNoNote, 0, S3mNoVolume, 'Q', 0x01}; // a tick since tick 23: struck
  s.cell(0, 5, 0) = {S3mNoNote, 0, S3mNoVolume, 'F', 0x01};
  s.cell(0, 6, 0) = {S3mNoNote, 0, S3mNoVolume, 'Q', 0x03}; // the pitch has moved from the note
  const auto loaded = convertAndLoad(writeS3m(s));
  const uint8_t c4 = 4 * 12 + 1;
  for (const auto &[row, note] :
       {std::pair{1, c4}, {2, uint8_t(0)}, {3, uint8_t(0)}, {4, c4}, {6, uint8_t(0)}})
    EXPECT_EQ(loadedCell(0, row, 0).note, note) << "row " << row;
}

// Speeds above XM's 31 play as one of XM's with a pattern delay on every row.
TEST(ConvertedS3m, SlowSpeedsPlayAsXmSpeedsWithDelays) {
  S3mSpec s = slowSong();
  s.speed = 6;
  s.cell(0, 0, 0) = {S3mNoNote, 0, S3mNoVolume, 'A', 0x40}; // 64 ticks: 16 and 3 rows of delay
  s.cell(0, 2, 1) = {S3mNoNote, 0, S3mNoVolume, 'S', 0xE1}; // twice that
  s.cell(0, 3, 0) = {S3mNoNote, 0, S3mNoVolume, 'A', 0x25}; // 37 ticks: 38, as near as any
  s.cell(0, 4, 0) = {S3mNoNote, 0, S3mNoVolume, 'A', 0x06};
  const ConvertedModule m = convert(writeS3m(s));
  ASSERT_TRUE(m.ok) << m.rejection;
  EXPECT_NE(allWarnings(m).find("plays the nearest number of ticks (1 time)"), std::string::npos)
      << allWarnings(m);
  LoadedSong loaded(m.xm);
  ASSERT_EQ(song.channelCount, 3);
  EXPECT_EQ(loadedCell(0, 0, 0).parameter, 16);
  EXPECT_EQ(loadedCell(0, 3, 0).parameter, 19);
  const struct {
    int row;
    uint8_t delay;
  } expected[] = {{0, 0xE3}, {1, 0xE3}, {2, 0xE7}, {3, 0xE1}, {4, 0}};
  for (const auto &e : expected)
    EXPECT_EQ(loadedCell(0, e.row, 2).parameter, e.delay) << "row " << e.row;
  EXPECT_EQ(loadedCell(0, 2, 1).effect, 0);
}

TEST(ConvertedS3m, RefusesWhatTheFileDoesNotHoldAndReadsNoMore) {
  S3mSpec cut = slowSong();
  cut.cell(0, 10, 0) = {S3mNote(4, 0), 1};
  const std::string whole = writeS3m(cut);
  const size_t pattern = size_t(uint8_t(whole[0x64]) | uint8_t(whole[0x65]) << 8) * 16;
  S3mSpec many = slowSong();
  many.instrumentCountField = 200; // parapointers the file does not have
  S3mSpec tooMany = slowSong();
  tooMany.samples.assign(300, S3mSampleSpec{{0, 0}});
  const struct {
    std::string bytes, reason;
  } refused[] = {
      {whole.substr(0, 0x60 + 3), "a truncated S3M module: the file ends inside its order list"},
      {whole.substr(0, pattern + 10), "a truncated S3M module: the file ends inside its patterns"},
      {writeS3m(many), "a truncated S3M module: the file ends inside its order list"},
      {writeS3m(tooMany), "an S3M module the converter cannot use: it names 300 instruments"},
  };
  for (const auto &r : refused) {
    const ConvertedModule m = convert(r.bytes);
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.rejection.rfind(r.reason, 0), 0u) << m.rejection;
  }
  // A sample claiming 2 GiB keeps the 32 bytes the file holds.
  std::string huge = whole;
  const size_t header = size_t(uint8_t(huge[0x62]) | uint8_t(huge[0x63]) << 8) * 16;
  huge[header + 0x13] = 0x7F;
  const ConvertedModule m = convert(huge);
  ASSERT_TRUE(m.ok) << m.rejection;
  EXPECT_NE(allWarnings(m).find("the file ends 2130706432 bytes before the end of its sample data"),
            std::string::npos)
      << allWarnings(m);
  EXPECT_LT(m.xm.size(), whole.size() + 4096);
}

TEST(ConvertedS3m, EveryModuleOfTheCorpusConvertsAndLoads) {
  size_t modules = 0;
  for (const auto &entry : fs::recursive_directory_iterator(S3M_CORPUS_DIR)) {
    if (entry.path().extension() != ".s3m")
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const ConvertedModule m = convert(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_TRUE(m.ok) << entry.path() << ": " << m.rejection;
    EXPECT_NE(m.description.find(" S3M module, "), std::string::npos) << m.description;
    ++modules;
  }
  EXPECT_GE(modules, 24u);
}

} // namespace
