#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "LoadedSong.h"
#include "XmOutput.h"
#include "XmMixer.h"
#include "XmRender.h"
#include "XmReplay.h"

// The tune bundled with the intro: it plays through, comes back to its restart order
// sounding exactly as it did the first time, and every channel is heard. The
// sanitizer build of this program plays the same file.

namespace {

constexpr int Heard = 1000; // a peak of about -30 dBFS

std::unique_ptr<LoadedSong> loadDemoTune() {
  std::ifstream in(DEMO_TUNE_PATH, std::ios::binary);
  auto tune = std::make_unique<LoadedSong>(std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_TRUE(tune->loaded) << DEMO_TUNE_PATH;
  paused = false;
  playOnce = false;
  fillIndex = 0;
  return tune;
}

// Exactly the blocks the output thread hands to the device, up to `frames` frames
// or the end of a play-once song.
std::vector<int16_t> render(uint32_t frames) {
  std::vector<int16_t> pcm;
  while (pcm.size() < 2 * size_t(frames)) {
    const int16_t *block = outputRing[fillIndex];
    const uint32_t filled = fillNextBlock();
    pcm.insert(pcm.end(), block, block + 2 * filled);
    if (filled < BlockFrames)
      return pcm;
  }
  pcm.resize(2 * size_t(frames));
  return pcm;
}

template <typename Iterator> int peakOf(Iterator begin, Iterator end) {
  int peak = 0;
  for (Iterator at = begin; at != end; ++at)
    peak = std::max(peak, std::abs(int(*at)));
  return peak;
}

struct OrderStart {
  int order;
  uint32_t frame;
};

// Where each order of one pass begins, and the one played after the last, found by
// running the ticks without mixing.
std::vector<OrderStart> orderStartsOfOnePass() {
  std::vector<OrderStart> starts;
  uint32_t frame = 0;
  while (starts.size() <= song.songLength) {
    const bool rowTick = song.tick == 0;
    if (!runTick())
      break;
    if (rowTick && song.row == 0)
      starts.push_back({song.order, frame});
    frame += song.tickSamplesLeft;
  }
  return starts;
}

// Mixes one channel's voices alone, tick by tick, until it is heard or the song ends;
// returns its loudest output sample.
int soloPeak(int channel) {
  auto tune = loadDemoTune();
  playOnce = true;
  std::vector<int32_t> mix;
  int peak = 0;
  while (peak < Heard && runTick()) {
    for (int index = 0; index < 2 * song.channelCount; ++index)
      if (index / 2 != channel) {
        MixVoice &v = song.voices[index];
        v.currentLeft = v.currentRight = v.targetLeft = v.targetRight = v.rampRemaining = 0;
      }
    mix.assign(2 * size_t(song.tickSamplesLeft), 0);
    mixVoices(mix.data(), song.tickSamplesLeft);
    for (int32_t sum : mix)
      peak = std::max(peak, std::abs(int(convertSample(sum))));
  }
  return peak;
}

TEST(DemoTune, PlaysOnceInThirtyToNinetySecondsLoudButUnclipped) {
  auto tune = loadDemoTune();
  playOnce = true;
  const std::vector<int16_t> pcm = render(120 * OutputRate);
  EXPECT_GE(pcm.size() / 2, 30 * OutputRate);
  EXPECT_LE(pcm.size() / 2, 90 * OutputRate);
  const int peak = peakOf(pcm.begin(), pcm.end());
  EXPECT_LT(peak, 32767);
  EXPECT_GT(peak, 32767 / 4);
}

// The orders before the restart order end the way the last order does, so the second
// pass is the first one again, to the sample, from the restart order on.
TEST(DemoTune, SecondPassRepeatsTheFirstFromTheRestartOrder) {
  auto walk = loadDemoTune();
  const std::vector<OrderStart> starts = orderStartsOfOnePass();
  const int restart = song.restartPosition;
  ASSERT_EQ(starts.size(), size_t(song.songLength) + 1);
  ASSERT_LT(restart, song.songLength);
  EXPECT_EQ(starts.back().order, restart);
  const uint32_t passEnd = starts.back().frame, restartFrame = starts[restart].frame;
  walk.reset();

  auto tune = loadDemoTune();
  const std::vector<int16_t> pcm = render(2 * passEnd - restartFrame);
  ASSERT_EQ(pcm.size(), 2 * size_t(2 * passEnd - restartFrame));
  const auto first = pcm.begin() + 2 * restartFrame, second = pcm.begin() + 2 * passEnd;
  const auto differ = std::mismatch(first, second, second).first;
  EXPECT_EQ(differ, second) << "first difference " << (differ - first) / 2 << " frames after the restart";
  EXPECT_GT(peakOf(first, second), Heard);
}

TEST(DemoTune, EveryChannelIsHeardOnItsOwn) {
  auto tune = loadDemoTune();
  const int channels = song.channelCount;
  tune.reset();
  EXPECT_GE(channels, 4);
  for (int channel = 0; channel < channels; ++channel)
    EXPECT_GE(soloPeak(channel), Heard) << "channel " << channel;
}

} // namespace
