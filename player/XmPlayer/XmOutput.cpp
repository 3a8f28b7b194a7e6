#include "XmOutput.h"

#include "XmRender.h"

int16_t outputRing[RingBlocks][OutputChannels * BlockFrames];
uint32_t fillIndex;
std::atomic<uint32_t> stopRequest;

uint32_t fillNextBlock() {
  const uint32_t frames = renderBlock(outputRing[fillIndex]);
  fillIndex = (fillIndex + 1) % RingBlocks;
  return frames;
}

// Every block the device has left is refilled in one pass. One block per 5 ms pass
// would cap the refill at 4.3 times real time, which a device catching up after a
// stall (or one that plays faster than real time) outruns, and it would then play
// stale blocks.
static void refillUpTo(uint32_t playing, SongEndHandler songEnded) {
  while (fillIndex != playing && !stopRequest.load())
    if (fillNextBlock() < BlockFrames) {
      stopRequest.store(1);
      songEnded();
    }
}

void runOutputLoop(const OutputDevice &device, SongEndHandler songEnded) {
  for (;;) {
    const uint32_t playing = (device.playPositionBytes(device.context) / BlockBytes) % RingBlocks;
    device.sleepMilliseconds(device.context, 5);
    if (stopRequest.load())
      return;
    refillUpTo(playing, songEnded);
  }
}
