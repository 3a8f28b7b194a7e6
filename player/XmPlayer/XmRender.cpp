#include "XmRender.h"

#include "Limits.h"
#include "XmMixer.h"
#include "XmReplay.h"
#include "XmState.h"
#include "XmVector.h"

#include <cstring>

bool paused;

namespace {
int32_t mixBuffer[2 * BlockFrames];
}

// Adding half the divisor first rounds half up in one division; written without
// branches so that the block loop vectorises.
int16_t convertSample(int32_t sum) {
  const uint32_t sign = uint32_t(sum >> 31); // all ones for a negative sum
  const uint32_t magnitude = (uint32_t(sum) ^ sign) - sign;
  const uint32_t q = (magnitude + MixDivisor / 2) / MixDivisor;
  const uint32_t clipped = minOf(q, 32767u);
  return int16_t((clipped ^ sign) - sign);
}

// Mixes up to the end of the block, running a tick at every boundary. Returns the
// frames mixed, short when the song ended.
static uint32_t mixBlock() {
  uint32_t done = 0;
  while (done < BlockFrames) {
    if (song.tickSamplesLeft == 0 && !runTick())
      return done;
    const uint32_t left = BlockFrames - done;
    const uint32_t n = minOf(song.tickSamplesLeft, left);
    mixVoices(mixBuffer + 2 * done, n);
    done += n;
    song.tickSamplesLeft -= n;
  }
  return done;
}

uint32_t renderBlock(int16_t *out) {
  std::memset(mixBuffer, 0, sizeof mixBuffer);
  const uint32_t frames = paused ? BlockFrames : mixBlock();
#if XM_VECTOR_UNIT
  static const bool vector = vectorAvailable();
  if (vector) {
    convertVector(mixBuffer, out, 2 * BlockFrames);
    return frames;
  }
#endif
  for (uint32_t i = 0; i < 2 * BlockFrames; ++i)
    out[i] = convertSample(mixBuffer[i]);
  return frames;
}
