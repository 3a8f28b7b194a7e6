#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ConverterFixture.h"
#include "ItWriter.h"
#include "NewNoteActions.h"
#include "ScreamSamples.h"
#include "XmFormat.h"
#include "XmState.h"

// What the converter makes of IT modules: the packed patterns and compressed
// samples as stored, the pitch of C5 speeds and keyboard tables, IT's fades, its
// memories and commands where XM plays them otherwise, the baked volumes, the notes
// spread over channels for new-note actions, and files that promise more than they
// hold.

namespace {

namespace fs = std::filesystem;

constexpr uint32_t TickFrames = OutputRate * 5 / 2 / 125; // at 125 BPM

const XmCell &loadedCell(int row, int channel, size_t order = 0) {
  return song.patterns[song.orderTable[order]].cells[size_t(row) * song.channelCount + size_t(channel)];
}

double level(const std::vector<int16_t> &pcm, uint32_t begin, uint32_t end) {
  double sum = 0;
  for (uint32_t f = begin; f < end; ++f)
    sum += double(pcm[2 * f]) * pcm[2 * f] + double(pcm[2 * f + 1]) * pcm[2 * f + 1];
  return std::sqrt(sum / (2.0 * (end - begin)));
}

double tickLevel(const std::vector<int16_t> &pcm, int tick) {
  return level(pcm, uint32_t(tick) * TickFrames + 100, uint32_t(tick + 1) * TickFrames - 100);
}

ItSpec oneInstrumentSong() {
  ItSpec s;
  s.samples.push_back(ItSampleSpec::Cycle());
  s.instruments.emplace_back();
  s.cell(0, 63, 0); // the pattern exists
  return s;
}

TEST(ConvertedIt, ReadsPackedCellsWithTheirChannelsLastValues) {
  ItSpec s = oneInstrumentSong();
  s.createdWith = 0x1100;
  s.cell(0, 0, 1) = {ItNote(5, 0), 1, 32, 'F', 0x03};
  s.cell(0, 1, 1) = {ItNote(5, 0), 1, 32, 'F', 0x03}; // all four parts as the channel's last
  s.cell(0, 2, 1) = {ItNote(6, 2), 1, ItNoVolume, 'F', 0x03};
  const ConvertedModule m = convert(writeIt(s));
  ASSERT_TRUE(m.ok) << m.rejection;
  EXPECT_EQ(
      m.description.rfind("2-channel Schism Tracker 2010-04-25 IT module, 1 instrument, 1 sample -> XM, ", 0),
      0u)
      << m.description;
  LoadedSong loaded(m.xm);
  ASSERT_TRUE(loaded.loaded);
  for (int row : {0, 1}) {
    const XmCell &c = loadedCell(row, 1);
    EXPECT_EQ(c.note, 61) << row;
    EXPECT_EQ(c.instrument, 1) << row;
    EXPECT_EQ(c.volume, XmVolumeColumn::SetFirst + 32) << row;
    EXPECT_EQ(c.effect, XmEffect::PortamentoUp) << row;
    EXPECT_EQ(c.parameter, 0x03) << row;
  }
  EXPECT_EQ(loadedCell(2, 1).note, 75);
}

TEST(ConvertedIt, TrackerNamesFromTheHeader) {
  ItSpec s = oneInstrumentSong();
  const struct {
    uint16_t createdWith, compatibleWith;
    uint32_t reserved;
    const char *name;
  } cases[] = {
      {0x0214, 0x0214, 0, "Impulse Tracker 2.14"},
      {0x1020, 0x0214, 0, "Schism Tracker 0.20"},
      {0x1FFF, 0x0214, 0x1000, "Schism Tracker 2021-01-17"},
      {0x5129, 0x0214, 0x01290A00, "OpenMPT 1.29.0A.00"},
      {0x0214, 0x0202, 0, "ModPlug Tracker"},
  };
  for (const auto &c : cases) {
    s.createdWith = c.createdWith, s.compatibleWith = c.compatibleWith, s.reserved = c.reserved;
    const ConvertedModule m = convert(writeIt(s));
    EXPECT_NE(m.description.find(std::string("-channel ") + c.name + " IT module"), std::string::npos)
        << m.description;
  }
}

ItSampleSpec rampingSample(bool sixteenBit, int compression, size_t frames) {
  ItSampleSpec s;
  s.sixteenBit = sixteenBit, s.compression = compression;
  for (size_t i = 0; i < frames; ++i) {
    // Quiet and loud stretches, so the widths change both ways.
    const double amplitude = (i / 700) % 3 == 0 ? 3 : (i / 700) % 3 == 1 ? 900 : 30000;
    const int v = int(amplitude * std::sin(double(i) * (1 + i % 7) / 40));
    s.frames.push_back(int16_t(sixteenBit ? v : v & 0xFF00));
  }
  return s;
}

TEST(ConvertedIt, DecompressesIt214And215SamplesOfEitherDepth) {
  ItSpec s;
  s.flags = 1 | 8; // samples without instruments
  for (bool sixteenBit : {false, true})
    for (int compression : {214, 215})
      s.samples.push_back(rampingSample(sixteenBit, compression, (sixteenBit ? 0x4000 : 0x8000) + 777));
  s.cell(0, 0, 0) = {ItNote(5, 0), 1};
  const auto loaded = convertAndLoad(writeIt(s));
  ASSERT_EQ(song.instrumentCount, 4);
  for (size_t i = 0; i < 4; ++i) {
    const struct XmSample &sample = *song.instruments[i].samples[0];
    ASSERT_EQ(sample.length, s.samples[i].frames.size()) << i;
    size_t wrong = 0;
    for (size_t f = 0; f < sample.length; ++f)
      wrong += sample.data[f] != s.samples[i].frames[f];
    EXPECT_EQ(wrong, 0u) << "sample " << i;
  }
  // Cut inside the last sample's data: what is there plays, and a warning says so.
  const std::string bytes = writeIt(s);
  const ConvertedModule cut = convert(bytes.substr(0, bytes.size() - 3000));
  ASSERT_TRUE(cut.ok) << cut.rejection;
  ASSERT_EQ(cut.warnings.size(), 1u);
  EXPECT_NE(cut.warnings[0].find("ends inside its sample data"), std::string::npos) << cut.warnings[0];
}

TEST(ConvertedIt, PlaysEachKeyAtItsC5SpeedAndItsKeyboardsNote) {
  // C-5 plays the C5 speed; a key mapped to no sample leaves it playing; the
  // keyboard sends D-5 to G-5; C-8, beyond XM's eight octaves as IT numbers them,
  // moves the instrument down an octave.
  ItSpec s = oneInstrumentSong();
  s.samples[0] = ItSampleSpec::Cycle(16726);
  s.speed = 31;
  s.instruments[0].keyboard[ItNote(5, 2)] = {ItNote(5, 7), 1};
  s.instruments[0].keyboard[ItNote(5, 4)] = {ItNote(5, 4), 0};
  s.cell(0, 0, 0) = {ItNote(5, 0), 1};
  s.cell(0, 1, 0) = {ItNote(5, 4), 1};
  s.cell(0, 2, 0) = {ItNote(5, 2), 1};
  s.cell(0, 3, 0) = {ItNote(8, 0), 1};
  s.cell(0, 4, 0) = {ItNote(1, 0), 1};
  const auto loaded = convertAndLoad(writeIt(s));
  const uint32_t row = 31 * TickFrames;
  const std::vector<int16_t> pcm = renderLoaded(5 * row);
  const double c5 = 16726.0 / 32;
  const auto rowFrequency = [&](uint32_t r) { return measuredFrequency(pcm, r * row + 2000, (r + 1) * row - 500); };
  EXPECT_NEAR(rowFrequency(0), c5, 0.5);
  EXPECT_NEAR(rowFrequency(1), c5, 0.5);
  EXPECT_NEAR(rowFrequency(2), c5 * std::pow(2, 7 / 12.0), 1.0);
  EXPECT_NEAR(rowFrequency(3), c5 * 8, 8.0);
  EXPECT_NEAR(rowFrequency(4), c5 / 16, 0.2);
}

TEST(ConvertedIt, AnInstrumentOfManySamplesKeepsSixteenSoundsBeforeAnyTransposition) {
  // Sample 1 at five transpositions on the lowest keys, then samples 2..17 a key
  // each: XM's 16 slots go to samples 1..16, and the 17th's key is silent.
  ItSpec s = oneInstrumentSong();
  s.speed = 31;
  s.samples.clear();
  for (uint32_t k = 1; k <= 17; ++k)
    s.samples.push_back(ItSampleSpec::Cycle(8000 + 500 * k));
  ItInstrumentSpec &kit = s.instruments[0];
  int row = 2;
  for (int t = 0; t < 5; ++t) {
    kit.keyboard[ItNote(3, t)] = {ItNote(4, 2 * t), 1};
    s.cell(0, row++, 0) = {ItNote(3, t), 1};
  }
  for (int k = 2; k <= 17; ++k) {
    kit.keyboard[ItNote(5, k - 2)] = {ItNote(5, k - 2), uint8_t(k)};
    s.cell(0, k == 16 ? 0 : k == 17 ? 1 : row++, 0) = {ItNote(5, k - 2), 1};
  }
  const ConvertedModule m = convert(writeIt(s));
  ASSERT_EQ(m.warnings.size(), 2u);
  EXPECT_NE(m.warnings[0].find("nearest transposition"), std::string::npos) << m.warnings[0];
  EXPECT_NE(m.warnings[1].find("17th sample"), std::string::npos) << m.warnings[1];
  const auto loaded = convertAndLoad(writeIt(s));
  const uint32_t rowFrames = 31 * TickFrames;
  const std::vector<int16_t> pcm = renderLoaded(2 * rowFrames);
  EXPECT_NEAR(measuredFrequency(pcm, 2000, rowFrames - 500), 16000.0 / 32 * std::pow(2, 14 / 12.0), 1.0);
  EXPECT_LT(level(pcm, rowFrames + 2000, 2 * rowFrames - 500), 1.0);
}

// Levels of the first `ticks` ticks of instrument 1's note on row 0, released on row 1.
std::vector<double> releasedLevels(const ItInstrumentSpec &instrument, int ticks,
                                   uint8_t release = ItNoteOff) {
  ItSpec s = oneInstrumentSong();
  s.instruments[0] = instrument;
  s.cell(0, 0, 0) = {ItNote(5, 0), 1};
  s.cell(0, 1, 0) = {release};
  const auto loaded = convertAndLoad(writeIt(s));
  const std::vector<int16_t> pcm = renderLoaded(uint32_t(ticks) * TickFrames);
  std::vector<double> levels;
  for (int t = 0; t < ticks; ++t)
    levels.push_back(tickLevel(pcm, t));
  return levels;
}

TEST(ConvertedIt, FadesNotesOutAsImpulseTrackerDoes) {
  // Without a volume envelope, a released note fades over 1024 / fadeout ticks.
  ItInstrumentSpec plain;
  plain.fadeout = 64;
  const std::vector<double> faded = releasedLevels(plain, 40);
  EXPECT_GT(faded[5], 1000);
  EXPECT_NEAR(faded[6 + 8] / faded[5], 0.5, 0.08) << "half way through the fade";
  EXPECT_LT(faded[6 + 17], faded[5] * 0.02) << "faded out";
  // IT also fades a held note once its envelope has ended.
  ItInstrumentSpec enveloped;
  enveloped.fadeout = 128;
  enveloped.volume.nodes = {{0, 64}, {4, 32}};
  const std::vector<double> ended = releasedLevels(enveloped, 24, ItNoNote);
  EXPECT_NEAR(ended[4] / ended[0], 0.5, 0.06);
  EXPECT_NEAR(ended[8] / ended[4], 0.5, 0.1) << "half way through the fade";
  EXPECT_LT(ended[13], ended[4] * 0.02);
  // Without instruments, a note-off leaves the note as it is.
  ItSpec s = oneInstrumentSong();
  s.flags = 1 | 8;
  s.cell(0, 0, 0) = {ItNote(5, 0), 1};
  s.cell(0, 1, 0) = {ItNoteOff};
  const auto loaded = convertAndLoad(writeIt(s));
  const std::vector<int16_t> pcm = renderLoaded(12 * TickFrames);
  EXPECT_NEAR(tickLevel(pcm, 10) / tickLevel(pcm, 2), 1.0, 0.02);
}

TEST(ConvertedIt, AnInstrumentNumberAloneSetsTheVolumeOrStrikesAnEndedNoteAgain) {
  // The envelope falls to silence over 12 ticks, the sample (no loop) lasts about
  // 18. The number alone on row 1 leaves the envelope falling; the one on row 3,
  // after the note has ended, plays it from the start again.
  ItSpec s = oneInstrumentSong();
  ItSampleSpec &once = s.samples[0];
  while (once.frames.size() < 3000)
    once.frames.insert(once.frames.end(), once.frames.begin(), once.frames.begin() + 32);
  once.loopEnd = 0;
  s.instruments[0].volume.nodes = {{0, 64}, {12, 0}};
  s.cell(0, 0, 0) = {ItNote(5, 0), 1};
  s.cell(0, 1, 0) = {ItNoNote, 1};
  s.cell(0, 3, 0) = {ItNoNote, 1};
  const auto loaded = convertAndLoad(writeIt(s));
  const std::vector<int16_t> pcm = renderLoaded(22 * TickFrames);
  EXPECT_LT(tickLevel(pcm, 7), 0.6 * tickLevel(pcm, 1)) << "the envelope started again";
  EXPECT_GT(tickLevel(pcm, 19), 0.8 * tickLevel(pcm, 1)) << "the ended note was not struck again";
}

TEST(ConvertedIt, ResolvesZeroParametersFromImpulseTrackersMemories) {
  // E and F share a memory, which G joins without "compatible Gxx"; the volume
  // column's slides have their own and lend it to D; e takes E's.
  for (bool compatibleGxx : {false, true}) {
    ItSpec s = oneInstrumentSong();
    s.flags |= compatibleGxx ? 32 : 0;
    s.cell(0, 0, 0) = {ItNote(5, 0), 1, ItNoVolume, 'E', 0x04};
    s.cell(0, 1, 0) = {ItNoNote, 0, ItNoVolume, 'F', 0x00};
    s.cell(0, 2, 0) = {ItNote(5, 2), 0, ItNoVolume, 'G', 0x00};
    s.cell(0, 3, 0) = {ItNoNote, 0, 95 + 2}; // d2
    s.cell(0, 4, 0) = {ItNoNote, 0, ItNoVolume, 'D', 0x00};
    s.cell(0, 5, 0) = {ItNoNote, 0, 95 + 0};  // d0
    s.cell(0, 6, 0) = {ItNoNote, 0, 105 + 0}; // e0
    const auto loaded = convertAndLoad(writeIt(s));
    EXPECT_EQ(loadedCell(1, 0).effect, XmEffect::PortamentoUp);
    EXPECT_EQ(loadedCell(1, 0).parameter, 0x04);
    EXPECT_EQ(loadedCell(2, 0).parameter, compatibleGxx ? 0x00 : 0x04) << compatibleGxx;
    for (int row : {3, 4, 5}) {
      EXPECT_EQ(loadedCell(row, 0).effect, XmEffect::VolumeSlide) << row;
      EXPECT_EQ(loadedCell(row, 0).parameter, 0x02) << row;
    }
    EXPECT_EQ(loadedCell(6, 0).effect, XmEffect::PortamentoDown);
    EXPECT_EQ(loadedCell(6, 0).parameter, 0x04);
  }
}

TEST(ConvertedIt, PlaysImpulseTrackersCommandsAsItsXmEffects) {
  ItSpec s = oneInstrumentSong();
  const struct {
    ItCellSpec cell;
    uint8_t volume, effect, parameter;
  } cases[] = {
      {{ItNoNote, 0, ItNoVolume, 'H', 0x44}, 0, XmEffect::Vibrato, 0x42},         // half XM's depth
      {{ItNoNote, 0, ItNoVolume, 'U', 0x44}, 0, XmEffect::Vibrato, 0x41},         // a quarter of H
      {{ItNoNote, 0, ItNoVolume, 'I', 0x23}, 0, XmEffect::Tremor, 0x12},          // on 2, off 3
      {{ItNoNote, 0, ItNoVolume, 'V', 0x60}, 0, XmEffect::SetGlobalVolume, 0x30}, // of 128
      {{ItNoNote, 0, ItNoVolume, 'W', 0x04}, 0, XmEffect::GlobalVolumeSlide, 0x02},
      {{ItNoNote, 0, ItNoVolume, 'X', 0xC0}, 0, XmEffect::SetPanning, 0xC0},
      {{ItNoNote, 0, ItNoVolume, 'P', 0x03}, 0, XmEffect::PanningSlide, 0xC0}, // right, 4 XM steps each
      {{ItNoNote, 0, ItNoVolume, 'S', 0xC0}, 0, XmEffect::Extended, 0xC1},     // cut on tick 1
      {{ItNoNote, 0, ItNoVolume, 'D', 0x24}, 0, 0, 0},                         // both digits: nothing
      {{ItNoNote, 0, 85 + 3}, 0, XmEffect::VolumeSlide, 0x30},                 // c3 on later ticks
      {{ItNoNote, 0, 85 + 3, 'H', 0x11}, 0x73, XmEffect::Vibrato, 0x11},       // c3 where the effect is taken
      {{ItNoNote, 0, 128 + 64}, 0, XmEffect::SetPanning, 0xFF},
      {{ItNoNote, 0, 193 + 2}, 0, XmEffect::TonePortamento, 0x04}, // g2
      {{ItNoNote, 0, 203 + 3}, 0xB2, 0, 0},                        // h3: half XM's depth
      {{ItNoteCut, 0, ItNoVolume}, XmVolumeColumn::SetFirst, 0, 0}, // a key-off, silent at once
      {{ItNoNote, 0, ItNoVolume, 'T', 0x05}, 0, XmEffect::SpeedOrTempo, 100}, // 125 less 5 on 5 ticks
      {{ItNoNote, 0, ItNoVolume, 'T', 0x00}, 0, 0, 0},                        // no memory: nothing
  };
  int row = 0;
  for (const auto &c : cases)
    s.cell(0, row++, 0) = c.cell;
  const auto loaded = convertAndLoad(writeIt(s));
  row = 0;
  for (const auto &c : cases) {
    const XmCell &cell = loadedCell(row, 0);
    EXPECT_EQ(cell.volume, c.volume) << "row " << row;
    EXPECT_EQ(cell.effect, c.effect) << "row " << row;
    EXPECT_EQ(cell.parameter, c.parameter) << "row " << row;
    EXPECT_EQ(cell.note, c.cell.note == ItNoteCut ? KeyOffNote : 0) << "row " << row;
    ++row;
  }
  // An offset past the end of a sample without a loop plays it from the start.
  ItSpec offset = oneInstrumentSong();
  offset.samples[0].loopEnd = 0;
  offset.cell(0, 0, 0) = {ItNote(5, 0), 1, ItNoVolume, 'O', 0x01};
  const auto offsetLoaded = convertAndLoad(writeIt(offset));
  EXPECT_EQ(loadedCell(0, 0).effect, 0);
  EXPECT_EQ(loadedCell(0, 0).volume, 0);
}

TEST(ConvertedIt, BakesChannelAndGlobalVolumesIntoXmsVolumes) {
  // Channel 0 at half volume plays pattern 0 twice, then pattern 1 turns it up;
  // the song's global volume is half.
  ItSpec s = oneInstrumentSong();
  s.orders = {0, 0, 1};
  s.channelVolume[0] = 32;
  s.globalVolume = 64;
  s.cell(0, 0, 0) = {ItNote(5, 0), 1, 48};
  s.cell(0, 1, 0) = {ItNoNote, 0, ItNoVolume, 'D', 0x08};
  s.cell(1, 0, 0) = {ItNoNote, 0, ItNoVolume, 'M', 0x40}; // full: the note's volume again
  s.cell(1, 1, 0) = {ItNoNote, 0, ItNoVolume, 'W', 0x2F}; // fine: up by 2 of 128
  s.cell(1, 2, 0) = {ItNote(5, 0), 0};                    // its instrument, at its volume
  s.cell(1, 63, 0);
  const auto loaded = convertAndLoad(writeIt(s));
  for (size_t order : {0u, 1u}) {
    EXPECT_EQ(loadedCell(0, 0, order).volume, XmVolumeColumn::SetFirst + 24) << order;
    EXPECT_EQ(loadedCell(1, 0, order).parameter, 0x04) << order;
  }
  EXPECT_EQ(loadedCell(0, 0, 2).volume, XmVolumeColumn::SetFirst + 48 - 8 * 5) << "the second note slid";
  EXPECT_EQ(loadedCell(1, 0, 2).effect, XmEffect::SetGlobalVolume);
  EXPECT_EQ(loadedCell(1, 0, 2).parameter, 33);
  EXPECT_EQ(loadedCell(2, 0, 2).instrument, 1);
  EXPECT_EQ(loadedCell(2, 0, 2).volume, XmVolumeColumn::SetFirst + 8);
  bool halfGlobal = false;
  for (int c = 0; c < song.channelCount; ++c)
    halfGlobal |= loadedCell(0, c).effect == XmEffect::SetGlobalVolume && loadedCell(0, c).parameter == 32;
  EXPECT_TRUE(halfGlobal);
}

TEST(ConvertedIt, RefusesFilesThatPromiseMoreThanTheyHold) {
  ItSpec s = oneInstrumentSong();
  const std::string whole = writeIt(s);
  ItSpec manyOrders = s;
  manyOrders.orderCountField = 65535;
  ItSpec manySamples = s;
  manySamples.sampleCountField = 4000;
  const struct {
    std::string bytes, reason;
  } cases[] = {
      {whole.substr(0, 100), "a truncated IT module: the file ends inside its header"},
      {writeIt(manyOrders), "a truncated IT module: the file ends inside its order list and offsets"},
      {writeIt(manySamples), "a truncated IT module: the file ends inside its order list and offsets"},
      {whole.substr(0, whole.size() - 32 - 40), "a truncated IT module: the file ends inside its patterns"},
  };
  for (const auto &c : cases) {
    const ConvertedModule m = convert(c.bytes);
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.rejection, c.reason);
  }
  // A sample that claims more frames than the file holds takes what is there.
  ItSpec longSample = s;
  longSample.samples[0].lengthField = 0x7FFFFFFF;
  longSample.samples[0].loopEnd = 0;
  const ConvertedModule m = convert(writeIt(longSample));
  ASSERT_TRUE(m.ok) << m.rejection;
  LoadedSong loaded(m.xm);
  EXPECT_EQ(song.instruments[0].samples[0]->length, 32u);
}

// A song of one IT channel for the spreading alone: instrument 1 continues its
// notes, instrument 2 releases them, both with looped samples that end only when
// faded out.
ScreamSong spreadingSong(size_t rows) {
  ScreamSong song;
  song.tracker = ScreamTracker::ImpulseTracker;
  song.channelPanning = {0x80};
  song.channelVolume = {64};
  song.orders = {0};
  song.patterns.resize(1);
  song.patterns[0].rows = uint16_t(rows);
  song.patterns[0].cells.assign(rows, ScreamCell{});
  for (ScreamNewNoteAction action : {ScreamNewNoteAction::Continue, ScreamNewNoteAction::NoteOff}) {
    ScreamSampleData looped;
    looped.frames.assign(64, 1000);
    looped.loop = true, looped.loopEnd = 64;
    SongInstrument instrument;
    instrument.samples.push_back(XmSample(looped));
    // A held envelope and a long fadeout, as the IT reader gives them.
    for (size_t at : {96u + 2, 96u + 6})
      instrument.extra[at] = 64;
    instrument.extra[96 + 4] = 1;
    instrument.extra[192] = 2, instrument.extra[200] = EnvelopeOn | EnvelopeSustain,
    instrument.extra[206] = 100;
    song.xm.instruments.push_back(instrument);
    song.noteActions.push_back({action});
  }
  return song;
}

ScreamCell &cellAt(ScreamSong &song, size_t row, size_t channel) {
  return song.patterns[song.orders[0]].cells[row * ScreamChannels(song) + channel];
}

TEST(NewNoteActions, PlaysNotesOnUnderTheNextOnOnChannelsOfTheirOwn) {
  ScreamSong song = spreadingSong(8);
  song.channelPanning = {0x40};
  auto &cells = song.patterns[0].cells;
  cells[0] = {61, 1, ScreamNoVolume, ScreamCommand('S'), 0xB0}; // a loop starts here
  cells[1] = {65, 1};                                           // continues the first
  cells[2] = {0, 0, ScreamNoVolume, ScreamCommand('H'), 0x44};
  cells[3] = {68, 2, 128 + 48};                                 // continues the second, pans
  cells[4] = {70, 2, ScreamNoVolume, ScreamCommand('S'), 0xB1}; // releases the third, loops
  const NoteSpreading spread = SpreadNewNoteActions(song);
  ASSERT_EQ(ScreamChannels(song), 4u);
  EXPECT_EQ(spread.channelsAdded, 3u);
  EXPECT_EQ(cellAt(song, 1, 1).note, 65);
  EXPECT_EQ(cellAt(song, 1, 1).command, ScreamCommand('X')) << "the moved note takes its channel's panning";
  EXPECT_EQ(cellAt(song, 1, 1).parameter, 0x40);
  EXPECT_EQ(cellAt(song, 2, 1).command, ScreamCommand('H')) << "effects follow the newest note";
  EXPECT_EQ(cellAt(song, 3, 2).note, 68);
  EXPECT_EQ(cellAt(song, 4, 0).command, ScreamCommand('S')) << "the loop stays on the channel's own";
  EXPECT_EQ(cellAt(song, 4, 3).command, 0);
  EXPECT_EQ(cellAt(song, 3, 2).command, 0) << "a note with a panning of its own keeps it";
  EXPECT_EQ(cellAt(song, 4, 3).note, 70);
  EXPECT_EQ(cellAt(song, 4, 2).note, ScreamNoteOff) << "the note before is released";
  for (size_t row = 1; row < 8; ++row)
    EXPECT_EQ(cellAt(song, row, 0).note, ScreamNoNote) << "the first note plays on, row " << row;
}

TEST(NewNoteActions, CutsTheOldestNoteWhenEverySixtyFourthChannelIsTaken) {
  ScreamSong song = spreadingSong(70);
  for (size_t row = 0; row < 70; ++row)
    song.patterns[0].cells[row] = {uint8_t(1 + row), 1};
  const NoteSpreading spread = SpreadNewNoteActions(song);
  ASSERT_EQ(ScreamChannels(song), 64u);
  EXPECT_EQ(spread.notesCut, 6u);
  EXPECT_EQ(cellAt(song, 64, 0).note, 65) << "the oldest, the first note, goes";
  EXPECT_EQ(cellAt(song, 65, 1).note, 66);
}

TEST(NewNoteActions, DuplicateChecksActOnTheChannelsNotesOfTheSameNote) {
  ScreamSong song = spreadingSong(4);
  song.noteActions[0].duplicateCheck = ScreamDuplicateCheck::Note;
  song.noteActions[0].duplicateAction = ScreamNewNoteAction::NoteFade;
  auto &cells = song.patterns[0].cells;
  cells[0] = {61, 1};
  cells[1] = {65, 1};
  cells[2] = {61, 1}; // fades the first, which plays on on channel 0
  SpreadNewNoteActions(song);
  EXPECT_EQ(cellAt(song, 2, 0).note, ScreamNoteFade);
  EXPECT_EQ(cellAt(song, 2, 1).note, ScreamNoNote) << "the other note plays on";
  EXPECT_EQ(cellAt(song, 2, 2).note, 61);
}

TEST(ConvertedIt, EveryBehaviourModuleConvertsAndLoads) {
  size_t modules = 0;
  for (const auto &entry : fs::directory_iterator(fs::path(IT_CORPUS_DIR) / "behaviour")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const ConvertedModule m = convert(bytes);
    ASSERT_TRUE(m.ok) << entry.path() << ": " << m.rejection;
    LoadedSong loaded(m.xm);
    EXPECT_TRUE(loaded.loaded) << entry.path();
    ++modules;
  }
  EXPECT_GT(modules, 100u);
}

} // namespace
