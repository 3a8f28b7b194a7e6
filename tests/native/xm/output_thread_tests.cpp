#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "LoadedSong.h"
#include "XmOutput.h"
#include "XmRender.h"
#include "XmWriter.h"

// The output loop on a thread of its own, as the intro runs it, while the starting
// thread asks it to stop. Built under ThreadSanitizer too: the stop request must be
// the only word the two threads share while the loop runs.

namespace {

// Plays half a block at every pass of the loop and lets the other thread run. Called
// on the output thread only; the passes are counted where the starting thread sees them.
struct ThreadedDevice {
  uint32_t playedBytes = 0;
  uint32_t sleepsWithStopSet = 0;
  uint32_t fillAtLastSleep = 0;
  std::atomic<uint32_t> passes{0};

  OutputDevice device() { return OutputDevice{&position, &sleep, this}; }
  static uint32_t position(void *context) { return static_cast<ThreadedDevice *>(context)->playedBytes; }
  static void sleep(void *context, uint32_t) {
    ThreadedDevice &d = *static_cast<ThreadedDevice *>(context);
    d.sleepsWithStopSet += stopRequest.load() != 0;
    d.fillAtLastSleep = fillIndex;
    d.playedBytes += BlockBytes / 2;
    d.passes.fetch_add(1);
    std::this_thread::yield();
  }
};

std::atomic<int> songEnds;
SongArena *playingArena;
uint32_t fillAtSongEnd;

// What the intro's handler does: the song's memory goes at once, on the output thread.
void releaseEndedSong() {
  fillAtSongEnd = fillIndex;
  playingArena->releaseAll();
  songEnds.fetch_add(1);
}

class OutputThread : public ::testing::Test {
protected:
  // A song at speed 1 and 125 BPM: a row every 960 frames.
  void start(uint16_t rows, bool once) {
    XmModuleSpec m;
    m.tempo = 1;
    m.addPattern(rows);
    loaded.reset(new LoadedSong(writeXm(m)));
    ASSERT_TRUE(loaded->loaded);
    playingArena = &loaded->arena;
    sim.reset(new ThreadedDevice());
    paused = false;
    playOnce = once;
    fillIndex = 0;
    songEnds.store(0);
    stopRequest.store(0);
    do
      fillNextBlock();
    while (fillIndex != 0);
    output = std::thread(runOutputLoop, sim->device(), &releaseEndedSong);
  }
  // Asks for the stop once the loop has made `passes` passes, or its song has ended.
  void stopAfter(uint32_t passes) {
    while (sim->passes.load() < passes && songEnds.load() == 0)
      std::this_thread::yield();
    stopRequest.store(1);
    output.join();
  }
  std::unique_ptr<ThreadedDevice> sim;
  std::thread output;
  std::unique_ptr<LoadedSong> loaded;
};

// The loop checks the request right after each sleep: once it has seen it, it sleeps
// at most once more and renders nothing after its last sleep.
TEST_F(OutputThread, StopFromTheStartingThreadEndsTheLoopAtItsNextCheck) {
  ASSERT_NO_FATAL_FAILURE(start(64, false));
  stopAfter(100);
  EXPECT_GE(sim->passes.load(), 100u);
  EXPECT_LE(sim->sleepsWithStopSet, 1u);
  EXPECT_EQ(fillIndex, sim->fillAtLastSleep);
  EXPECT_EQ(songEnds.load(), 0);
}

// 23 heard rows are 21.6 blocks: the song ends some 14 passes after the prefill, while
// the stop comes from the other thread before, at or after that point. Whichever wins,
// the handler runs at most once and nothing is rendered from the released song.
TEST_F(OutputThread, PlayOnceEndRacingAStopRequestReleasesTheSongOnce) {
  for (uint32_t stopAt = 0; stopAt < 24; ++stopAt) {
    ASSERT_NO_FATAL_FAILURE(start(24, true));
    stopAfter(stopAt);
    ASSERT_LE(songEnds.load(), 1) << stopAt;
    if (songEnds.load() == 1) {
      ASSERT_EQ(fillIndex, fillAtSongEnd) << stopAt;
    }
    ASSERT_LE(sim->sleepsWithStopSet, 1u) << stopAt;
  }
}

} // namespace
