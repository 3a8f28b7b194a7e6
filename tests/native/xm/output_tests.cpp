#include <gtest/gtest.h>

#include <vector>

#include "LoadedSong.h"
#include "XmOutput.h"
#include "XmRender.h"
#include "XmWriter.h"

namespace {

// A device that plays `bytesPerMillisecond` of the ring while the loop sleeps. At
// every sleep it checks what the loop rendered since the last one: never the block
// being played, and always the block the device is about to enter.
struct SimulatedDevice {
  uint32_t bytesPerMillisecond = 192; // real time
  uint32_t playedBytes = 0;
  uint32_t sleeps = 0;
  uint32_t stopAfterSleeps = 0;
  uint32_t lastFill = 0;
  uint32_t rendered = RingBlocks; // the prefill
  uint32_t refillsOfThePlayingBlock = 0;
  uint32_t staleBlocks = 0;

  OutputDevice device() { return OutputDevice{&position, &sleep, this}; }
  uint32_t playingBlock() const { return (playedBytes / BlockBytes) % RingBlocks; }
  static uint32_t position(void *context) { return static_cast<SimulatedDevice *>(context)->playedBytes; }
  static void sleep(void *context, uint32_t milliseconds) {
    SimulatedDevice &d = *static_cast<SimulatedDevice *>(context);
    for (; d.lastFill != fillIndex; d.lastFill = (d.lastFill + 1) % RingBlocks, ++d.rendered)
      d.refillsOfThePlayingBlock += d.lastFill == d.playingBlock();
    const uint32_t before = d.playedBytes / BlockBytes;
    d.playedBytes += d.bytesPerMillisecond * milliseconds;
    for (uint32_t block = before + 1; block <= d.playedBytes / BlockBytes; ++block)
      d.staleBlocks += block >= d.rendered;
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
  EXPECT_GE(sim.rendered, blocksLeft + RingBlocks - 1);
  EXPECT_LE(sim.rendered, blocksLeft + RingBlocks);
  EXPECT_EQ(sim.refillsOfThePlayingBlock, 0u);
  EXPECT_EQ(sim.staleBlocks, 0u);
  EXPECT_EQ(songEnds, 0);
  EXPECT_EQ(sim.sleeps, 2000u); // ended at the first check after the request
}

// Faster than one block per 5 ms pass: a device catching up after a stall, or the
// capture device of the Wine tests.
TEST_F(OutputLoop, KeepsUpWithADeviceFasterThanOneBlockPerPass) {
  load(false);
  prefill();
  sim.bytesPerMillisecond = 192 * 6;
  sim.stopAfterSleeps = 1000;
  runOutputLoop(sim.device(), [] { ++songEnds; });
  EXPECT_EQ(sim.staleBlocks, 0u);
  EXPECT_EQ(sim.refillsOfThePlayingBlock, 0u);
  EXPECT_GE(sim.rendered + 3, sim.playedBytes / BlockBytes + RingBlocks);
}

TEST_F(OutputLoop, PlayOnceEndCallsTheHandlerOnceAndEndsTheLoop) {
  load(true); // the last row is not heard: 63 rows x 6 ticks x 960 frames, 354.4 blocks
  prefill();
  sim.stopAfterSleeps = 100000;
  runOutputLoop(sim.device(), [] { ++songEnds; });
  EXPECT_EQ(songEnds, 1);
  EXPECT_EQ(stopRequest.load(), 1u);
  EXPECT_EQ(sim.rendered, 355u);
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
