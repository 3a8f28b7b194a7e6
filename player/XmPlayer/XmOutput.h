#pragma once
#include <atomic>
#include <cstdint>

#include "XmTypes.h"

// The ring the device loops over and the refill loop of the output thread. The
// device itself sits behind OutputDevice: wave-out on Windows, a simulation in tests.

constexpr uint32_t BlockBytes = BlockFrames * OutputFrameBytes;
constexpr uint32_t RingBytes = BlockBytes * RingBlocks;

struct OutputDevice {
  uint32_t (*playPositionBytes)(void *context); // bytes played since the ring started
  void (*sleepMilliseconds)(void *context, uint32_t milliseconds);
  void *context;
};

extern int16_t outputRing[RingBlocks][OutputChannels * BlockFrames];
extern uint32_t fillIndex; // the ring block rendered next
// The one word both threads touch: set by the stopping thread, read by the output loop.
extern std::atomic<uint32_t> stopRequest;

// Renders the block at fillIndex and moves on. Returns the frames the song filled:
// fewer than BlockFrames when a play-once song ended in this block.
uint32_t fillNextBlock();

// Called on the rendering thread when a play-once song ends: releases the device and
// the song's memory without waiting for anything.
typedef void (*SongEndHandler)();

// The output thread's body: polls the play position every 5 ms and refills every block
// the device has left, until stopRequest is set.
void runOutputLoop(const OutputDevice &device, SongEndHandler songEnded);
