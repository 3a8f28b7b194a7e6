#pragma once
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "SampleBlock.h"
#include "XmReplay.h"
#include "XmState.h"

// Builds a song straight into the replay's records, the way the loader leaves them,
// so that tests can run the replay tick by tick and look at every field.
class ReplayFixture : public ::testing::Test {
protected:
  void SetUp() override {
    song = ReplayState{};
    playOnce = false;
    instruments.reserve(MaxInstruments); // references handed out stay valid
  }

  // Patterns are addressed by index; every pattern has `channelCount` columns.
  int addPattern(uint16_t rows) {
    cells.emplace_back(size_t(rows) * channelCount);
    patterns.push_back(XmPattern{rows, 0, nullptr});
    return int(patterns.size()) - 1;
  }
  XmCell &cell(int pattern, int row, int channel) {
    return cells[pattern][size_t(row) * channelCount + channel];
  }
  XmInstrument &addInstrument() {
    EXPECT_LT(instruments.size(), MaxInstruments);
    instruments.emplace_back();
    return instruments.back();
  }
  // A sample in slot 0 of the instrument, which every key names.
  XmSample &addSample(XmInstrument &instrument, uint32_t length, uint8_t volume = 64, uint8_t panning = 128) {
    samples.push_back(allocateSample(length));
    XmSample *sample = samples.back().get();
    sample->loopLength = length;
    sample->volume = volume;
    sample->panning = panning;
    instrument.samples[0] = sample;
    return *sample;
  }

  // Fills the song record as loading would; orders default to {0}.
  void start(std::vector<uint8_t> orders = {0}, uint8_t speed = 6, uint16_t bpm = 125, bool linear = true) {
    for (size_t index = 0; index < patterns.size(); ++index)
      patterns[index].cells = cells[index].data();
    voices.assign(size_t(channelCount) * 2, MixVoice{});
    channels.assign(size_t(channelCount), ReplayChannel{});
    for (int index = 0; index < channelCount; ++index)
      channels[index].voice = &voices[size_t(index) * 2];
    song.patterns = patterns.data();
    song.instruments = instruments.data();
    song.instrumentCount = uint16_t(instruments.size());
    song.patternCount = uint16_t(patterns.size());
    song.channelCount = channelCount;
    song.voices = voices.data();
    song.channels = channels.data();
    song.globalVolume = 64;
    song.speed = song.defaultTempo = speed;
    song.defaultBpm = bpm;
    setTempo(bpm);
    song.flags = linear ? 1 : 0;
    song.songLength = uint16_t(orders.size());
    std::memcpy(song.orderTable, orders.data(), orders.size());
  }

  // One pattern of `rows` rows and one instrument with a 1000-frame sample; cells may
  // be filled in afterwards.
  XmSample &basicSong(uint16_t rows, uint8_t speed = 6, bool linear = true) {
    addPattern(rows);
    XmSample &sample = addSample(addInstrument(), 1000);
    start({0}, speed, 125, linear);
    return sample;
  }
  // C-4 with instrument 1.
  static constexpr uint8_t C4 = 49;

  void runTicks(int count) {
    for (int index = 0; index < count; ++index)
      ASSERT_TRUE(runTick());
  }
  void runRows(int count) {
    for (int index = 0; index < count; ++index)
      runTicks(song.speed + song.patternDelayTicks > 0 ? song.speed + song.patternDelayTicks : 1);
  }
  // The order and row of every row tick over the next `count` rows.
  std::vector<std::pair<int, int>> rowTrace(int count) {
    std::vector<std::pair<int, int>> trace;
    while (int(trace.size()) < count) {
      const bool rowTick = song.tick == 0;
      EXPECT_TRUE(runTick());
      if (rowTick)
        trace.emplace_back(song.order, song.row);
    }
    return trace;
  }

  ReplayChannel &channel(int index = 0) { return channels[size_t(index)]; }

  static constexpr size_t MaxInstruments = 4;
  int channelCount = 1;
  std::vector<std::vector<XmCell>> cells;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
  std::vector<SampleBlock> samples;
  std::vector<MixVoice> voices;
  std::vector<ReplayChannel> channels;
};
