#include <gtest/gtest.h>

#include <memory>

#include "LoadedSong.h"
#include "XmWriter.h"

namespace {

XmModuleSpec oneInstrumentModule(std::vector<int16_t> frames) {
  XmModuleSpec m;
  m.addPattern(1);
  m.addInstrument().addSample(std::move(frames));
  return m;
}

const XmSample &firstSample() { return *song.instruments[0].samples[0]; }

// Loop fields are written as raw header bytes: frames x 2 for 16-bit samples.
bool loadLoopedSample(std::vector<int16_t> frames, uint8_t loopType, int64_t loopStartField,
                      int64_t loopLengthField, bool is16Bit = true) {
  XmModuleSpec m = oneInstrumentModule(std::move(frames));
  XmSampleSpec &s = m.instruments[0].samples[0];
  s.is16Bit = is16Bit;
  s.loopType = loopType;
  s.loopStartField = loopStartField;
  s.loopLengthField = loopLengthField;
  static std::unique_ptr<LoadedSong> loaded;
  loaded.reset(new LoadedSong(writeXm(m)));
  return loaded->loaded;
}

TEST(Loader, ReadsHeaderFieldsAndSetsUpPlayback) {
  XmModuleSpec m;
  m.channels = 3;
  m.orders = {0, 1, 0};
  m.restartPosition = 1;
  m.flags = 0;
  m.tempo = 5;
  m.bpm = 150;
  m.addPattern(2);
  m.addPattern(3).cell(2, 1) = {49, 1, 0x30, 0x0C, 0x20};
  m.addInstrument();
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.songLength, 3);
  EXPECT_EQ(song.restartPosition, 1);
  EXPECT_EQ(song.channelCount, 3);
  EXPECT_EQ(song.patternCount, 2);
  EXPECT_EQ(song.instrumentCount, 1);
  EXPECT_EQ(song.flags, 0);
  EXPECT_EQ(song.speed, 5);
  EXPECT_EQ(song.samplesPerTick, 800u);
  EXPECT_EQ(song.globalVolume, 64);
  EXPECT_EQ(song.orderTable[1], 1);
  EXPECT_EQ(song.patterns[1].rows, 3);
  const XmCell &c = song.patterns[1].cells[2 * 3 + 1];
  EXPECT_EQ(c.note, 49);
  EXPECT_EQ(c.instrument, 1);
  EXPECT_EQ(c.volume, 0x30);
  EXPECT_EQ(c.effect, 0x0C);
  EXPECT_EQ(c.parameter, 0x20);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(song.channels[i].voice, &song.voices[2 * i]);
  EXPECT_EQ(song.tickSamplesLeft, 0u);
  EXPECT_EQ(song.nextOrder, 0);
  EXPECT_EQ(song.nextRow, 0);
}

TEST(Loader, UnpackedAndPackedCellsReadAlike) {
  for (bool packed : {true, false}) {
    XmModuleSpec m;
    m.channels = 2;
    XmPatternSpec &p = m.addPattern(2);
    p.packed = packed;
    p.cell(0, 0) = {0, 0, 0, 0x0F, 0x03};
    p.cell(1, 1) = {97, 0, 0x10, 0, 0};
    LoadedSong loaded(writeXm(m));
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(song.patterns[0].cells[0].effect, 0x0F);
    EXPECT_EQ(song.patterns[0].cells[0].parameter, 0x03);
    EXPECT_EQ(song.patterns[0].cells[3].note, 97);
    EXPECT_EQ(song.patterns[0].cells[3].volume, 0x10);
  }
}

TEST(Loader, RejectsBrokenCounts) {
  auto rejected = [](void (*change)(XmModuleSpec &)) {
    XmModuleSpec m;
    m.addPattern(4);
    change(m);
    return !LoadedSong(writeXm(m)).loaded;
  };
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.patternCountField = 0; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.songLengthField = 0; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.songLengthField = 257; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.channelCountField = 65; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.channelCountField = 256; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.patterns[0].rows = 257; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) { m.addInstrument().sampleCountField = 17; }));
  EXPECT_TRUE(rejected([](XmModuleSpec &m) {
    m.addInstrument().addSample({1});
    m.instruments[0].sampleHeaderSizeField = 41;
  }));
  EXPECT_TRUE(rejected(
      [](XmModuleSpec &m) { m.addInstrument().addSample({1}).lengthField = int64_t(XmMaxSampleFrames) * 2; }));
  EXPECT_FALSE(rejected([](XmModuleSpec &m) { m.songLengthField = 256; }));
}

TEST(Loader, EmptyAndTruncatedSourcesAreRejected) {
  EXPECT_FALSE(LoadedSong("").loaded);
  XmModuleSpec m;
  m.addPattern(4);
  EXPECT_FALSE(LoadedSong(writeXm(m).substr(0, 300)).loaded);
}

TEST(Loader, ChannelAndInstrumentCountsUseTheLowByte) {
  XmModuleSpec m;
  m.channels = 4;
  m.channelCountField = 260;
  m.addPattern(1);
  for (int i = 0; i < 44; ++i)
    m.addInstrument();
  m.instrumentCountField = 300;
  m.patterns[0].cell(0, 3) = {1, 44, 0, 0, 0};
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.channelCount, 4);
  EXPECT_EQ(song.instrumentCount, 44);
  EXPECT_EQ(song.patterns[0].cells[3].instrument, 44);
}

TEST(Loader, OrderTableNamesUnstoredPatterns) {
  XmModuleSpec m;
  m.channels = 2;
  m.orders = {0, 5, 1};
  for (int i = 0; i < 3; ++i)
    m.addPattern(8);
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.patternCount, 6);
  for (int i = 3; i < 6; ++i) {
    EXPECT_EQ(song.patterns[i].rows, 64);
    EXPECT_EQ(song.patterns[i].packedSize, 0);
    ASSERT_NE(song.patterns[i].cells, nullptr);
    EXPECT_EQ(song.patterns[i].cells[64 * 2 - 1].note, 0);
  }
}

TEST(Loader, OrdersBeyondTheSongLengthDoNotCount) {
  XmModuleSpec m;
  m.orders = {0, 9};
  m.songLengthField = 1;
  m.addPattern(8);
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.patternCount, 1);
}

TEST(Loader, PackedSizeZeroIsAnEmptyPatternAndTheNextFollowsAtOnce) {
  XmModuleSpec m;
  m.orders = {0, 1};
  m.addPattern(16).cell(3, 0) = {49, 0, 0, 0, 0};
  m.patterns[0].packedSizeField = 0;
  m.addPattern(2).cell(1, 0) = {50, 0, 0, 0, 0};
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.patterns[0].rows, 16);
  EXPECT_EQ(song.patterns[0].cells[3].note, 0);
  EXPECT_EQ(song.patterns[1].cells[1].note, 50);
}

TEST(Loader, InstrumentNumbersAboveTheCountAreCleared) {
  XmModuleSpec m;
  m.addPattern(2).cell(0, 0) = {49, 2, 0, 0, 0};
  m.patterns[0].cell(1, 0) = {49, 1, 0, 0, 0};
  m.addInstrument();
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.patterns[0].cells[0].instrument, 0);
  EXPECT_EQ(song.patterns[0].cells[1].instrument, 1);
}

TEST(Loader, ShortEmptyInstrumentHeaderMovesTheReadingBack) {
  XmModuleSpec m;
  m.addPattern(1);
  m.addInstrument().headerSizeField = 29;
  XmInstrumentSpec &second = m.addInstrument();
  second.addSample({100, 200, 300});
  second.fadeout = 0x9000;
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(song.instruments[0].samples[0], nullptr);
  ASSERT_NE(song.instruments[1].samples[0], nullptr);
  EXPECT_EQ(song.instruments[1].samples[0]->data[2], 300);
  EXPECT_EQ(song.instruments[1].fadeout, 0x2000); // doubled, 16 bits kept
}

TEST(Loader, InstrumentBodyAndEnvelopeSwitches) {
  XmModuleSpec m = oneInstrumentModule({1});
  XmInstrumentSpec &in = m.instruments[0];
  in.keymap[95] = 7;
  in.volumeEnvelope = {{{0, 64}, {10, 32}}, 1, 0, 1, 7};
  in.panningEnvelope = {{{0, 32}}, 0, 0, 0, 1};
  in.vibratoRate = 9;
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  const XmInstrument &i = song.instruments[0];
  EXPECT_EQ(i.keymap[95], 7);
  EXPECT_EQ(i.volumeEnvelope[1].x, 10);
  EXPECT_EQ(i.volumeEnvelope[1].y, 32);
  EXPECT_EQ(i.volumeSustain, 1);
  EXPECT_EQ(i.volumeLoopEnd, 1);
  EXPECT_EQ(i.volumeType, 7);
  EXPECT_EQ(i.panningType, 0); // one point is no envelope
  EXPECT_EQ(i.vibratoRate, 9);
}

TEST(Loader, SixteenBitLoopIsNormalisedToFramesWithGuard) {
  std::vector<int16_t> frames(500);
  for (int i = 0; i < 500; ++i)
    frames[i] = int16_t(i * 7 - 1000);
  ASSERT_TRUE(loadLoopedSample(frames, 1, 200, 1000));
  const XmSample &x = firstSample();
  EXPECT_EQ(x.length, 500u);
  EXPECT_EQ(x.loopStart, 100u);
  EXPECT_EQ(x.loopLength, 400u);
  EXPECT_EQ(x.is16Bit, 1);
  EXPECT_EQ(x.data[499], frames[499]);
  EXPECT_EQ(x.data[500], frames[100]);
}

TEST(Loader, PingPongGuardRepeatsTheLastLoopValue) {
  ASSERT_TRUE(loadLoopedSample({10, 20, 30, 40, 50}, 2, 2, 4));
  EXPECT_EQ(firstSample().data[3], 30);
}

TEST(Loader, LoopOfLengthZeroBecomesNoLoop) {
  ASSERT_TRUE(loadLoopedSample({1, 2, 3, 4}, 1, 4, 0));
  EXPECT_EQ(firstSample().loopType, 0);
  EXPECT_EQ(firstSample().loopStart, 0u);
  EXPECT_EQ(firstSample().loopLength, 4u);
  EXPECT_EQ(firstSample().data[4], 0); // no guard
}

// Loop fields far outside the sample must not place the guard outside it.
TEST(Loader, HugeLoopFieldsStayInsideTheSample) {
  for (int64_t loopLength : {int64_t(0xFFFFFF00), int64_t(0x80000000), int64_t(7)}) {
    ASSERT_TRUE(loadLoopedSample({1, 2, 3, 4}, 1, 0xFFFFFFF0, loopLength, false));
    EXPECT_LE(uint64_t(firstSample().loopStart) + firstSample().loopLength, 4u);
  }
}

TEST(Loader, EightBitDeltasScaleToSixteenBits) {
  XmModuleSpec m = oneInstrumentModule({0x100, -0x200, 0x7F00, -0x8000});
  m.instruments[0].samples[0].is16Bit = false;
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  const XmSample &x = firstSample();
  EXPECT_EQ(x.is16Bit, 0);
  EXPECT_EQ(x.data[0], 0x100);
  EXPECT_EQ(x.data[1], -0x200);
  EXPECT_EQ(x.data[2], 0x7F00);
  EXPECT_EQ(x.data[3], -0x8000);
}

TEST(Loader, SixteenBitDeltasWrap) {
  LoadedSong loaded(writeXm(oneInstrumentModule({32767, -32768, 5})));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(firstSample().data[1], -32768);
  EXPECT_EQ(firstSample().data[2], 5);
}

TEST(Loader, FourBitPackedSamplesDecodeNibblePairs) {
  XmModuleSpec m = oneInstrumentModule({0, 0, 0}); // three frames: an odd length
  XmSampleSpec &s = m.instruments[0].samples[0];
  s.is16Bit = false;
  s.packed4Bit = true;
  s.packedDeltas[1] = 1;
  s.packedDeltas[2] = -3;
  s.packedNibbles = {0x21, 0x01};
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  const XmSample &x = firstSample();
  EXPECT_EQ(x.length, 3u);
  EXPECT_EQ(x.data[0], 1 * 256);
  EXPECT_EQ(x.data[1], -2 * 256);
  EXPECT_EQ(x.data[2], -1 * 256);
  EXPECT_EQ(x.data[3], -1 * 256); // the extra value behind an odd length
}

TEST(Loader, SamplesOfAnInstrumentFollowTheirHeaders) {
  XmModuleSpec m = oneInstrumentModule({11, 12});
  m.instruments[0].addSample({21, 22, 23}).volume = 33;
  m.instruments[0].samples[0].relativeNote = -12;
  m.instruments[0].samples[0].finetune = -5;
  m.addInstrument().addSample({31});
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(firstSample().relativeNote, -12);
  EXPECT_EQ(firstSample().finetune, -5);
  EXPECT_EQ(song.instruments[0].samples[1]->volume, 33);
  EXPECT_EQ(song.instruments[0].samples[1]->data[2], 23);
  EXPECT_EQ(song.instruments[1].samples[0]->data[0], 31);
}

TEST(Loader, ShortSampleHeaderKeepsTheRestZero) {
  XmModuleSpec m = oneInstrumentModule({5, 6});
  m.instruments[0].sampleHeaderSizeField = 12;
  LoadedSong loaded(writeXm(m));
  ASSERT_TRUE(loaded.loaded);
  EXPECT_EQ(firstSample().volume, 0);
  EXPECT_EQ(firstSample().loopType, 0);
}

TEST(Loader, RunningOutOfMemoryRejects) {
  XmModuleSpec m = oneInstrumentModule(std::vector<int16_t>(1000));
  const std::string bytes = writeXm(m);
  SongArena arena(2000);
  ModuleSource source;
  openMemorySource(source, bytes.data(), uint32_t(bytes.size()));
  EXPECT_FALSE(loadSong(source, arena.heap()));
}

} // namespace
