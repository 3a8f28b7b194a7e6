#include <gtest/gtest.h>

#include <vector>

#include "LoadedSong.h"
#include "XmOutput.h"
#include "XmRender.h"
#include "XmWriter.h"

namespace {

// A device that plays 5 ms of the ring per sleep. The refill loop renders at most
// one block between two sleeps, so each sleep sees which block was just rendered.
struct SimulatedDevice {
  uint32_t playedBytes = 0;
  uint32_t sleeps = 0;
  uint32_t stopAfterSleeps = 0;
  uint32_t lastFill = 0;
  uint32_t refills = 0;
  uint32_t refillsOfThePlayingBlock = 0;

  OutputDevice device() { return OutputDevice{&position, &sleep, this}; }
  uint32_t playingBlock() const { return (playedBytes / BlockBytes) % RingBlocks; }
  static uint32_t position(void *context) { return static_cast<SimulatedDevice *>(context)->playedBytes; }
  static void sleep(void *context, uint32_t milliseconds) {
    SimulatedDevice &d = *static_cast<SimulatedDevice *>(context);
    if (fillIndex != d.lastFill) {
      ++d.refills;
      if (d.lastFill == d.playingBlock())
        ++d.refillsOfThePlayingBlock;
      d.lastFill = fillIndex;
    }
    d.playedBytes += 192 * milliseconds;
    if (++d.sleeps == d.stopAfterSleeps)
      stopRequest.store(1);
  }
};

int songEnds;

class OutputLoop : public ::testing::Test {
protected:
  void load(bool once) {
    XmModuleSpec m;
    m.addPattern(64);
    loaded.reset(new LoadedSong(writeXm(m)));
    ASSERT_TRUE(loaded->loaded);
    paused = false;
    playOnce = once;
    fillIndex = 0;
    songEnds = 0;
    stopRequest.store(0);
  }
  // What the starting thread does before the output thread exists.
  void prefill() {
    do
      fillNextBlock();
    while (fillIndex != 0);
  }
  SimulatedDevice sim;
  std::unique_ptr<LoadedSong> loaded;
};

TEST_F(OutputLoop, RefillsEachBlockRightAfterTheDeviceLeftIt) {
  load(false);
  prefill();
  sim.stopAfterSleeps = 2000; // 10 s
  runOutputLoop(sim.device(), [] { ++songEnds; });
  const uint32_t blocksLeft = sim.playedBytes / BlockBytes;
  EXPECT_GE(sim.refills + 1, blocksLeft);
  EXPECT_LE(sim.refills, blocksLeft);
  EXPECT_EQ(sim.refillsOfThePlayingBlock, 0u);
  EXPECT_EQ(songEnds, 0);
  EXPECT_EQ(sim.sleeps, 2000u); // ended at the first check after the request
}

TEST_F(OutputLoop, PlayOnceEndCallsTheHandlerOnceAndEndsTheLoop) {
  load(true); // the last row is not heard: 63 rows x 6 ticks x 960 frames, 354.4 blocks
  prefill();
  sim.stopAfterSleeps = 100000;
  runOutputLoop(sim.device(), [] { ++songEnds; });
  EXPECT_EQ(songEnds, 1);
  EXPECT_EQ(stopRequest.load(), 1u);
  EXPECT_EQ(sim.refills + 16, 355u);
}

TEST_F(OutputLoop, StopRequestedBeforeTheFirstPassRendersNothing) {
  load(false);
  prefill();
  stopRequest.store(1);
  runOutputLoop(sim.device(), [] { ++songEnds; });
  EXPECT_EQ(sim.sleeps, 1u);
  EXPECT_EQ(fillIndex, 0u);
}

} // namespace
