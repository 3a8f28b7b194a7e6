#include "XmOutput.h"

#include "XmRender.h"

int16_t outputRing[RingBlocks][2 * BlockFrames];
uint32_t fillIndex;
std::atomic<uint32_t> stopRequest;

uint32_t fillNextBlock() {
  const uint32_t frames = renderBlock(outputRing[fillIndex]);
  fillIndex = (fillIndex + 1) % RingBlocks;
  return frames;
}

void runOutputLoop(const OutputDevice &device, SongEndHandler songEnded) {
  for (;;) {
    const uint32_t playing = (device.playPositionBytes(device.context) / BlockBytes) % RingBlocks;
    for (;;) {
      device.sleepMilliseconds(device.context, 5);
      if (stopRequest.load())
        return;
      if (fillIndex == playing)
        break;
      if (fillNextBlock() < BlockFrames) {
        stopRequest.store(1);
        songEnded();
      }
    }
  }
}
