#pragma once
#include "ModuleSource.h"
#include "SongHeap.h"
#include "XmFormat.h"

// Which of the loader's limits a module breaks; the tools name it to the user.
enum XmRejection : uint8_t {
  XmAccepted,
  XmNoPatterns,           // a pattern count of 0
  XmBadSongLength,        // a song of 0 orders or more than 256
  XmBadChannelCount,      // 0 channels or more than 64
  XmBadPatternRows,       // a pattern of 0 rows or more than 256
  XmTooManySamples,       // an instrument with more than 16 samples
  XmSampleHeaderTooLarge, // sample headers of more than 40 bytes
  XmSampleTooLong,        // a sample of XmMaxSampleFrames frames or more
  XmOutOfMemory,
};

// Reads an XM module from `source` into `song`, every block from `heap`, or says
// why not; whatever was allocated stays in the heap.
XmRejection loadModule(ModuleSource &source, const SongHeap &heap);

// True when the module was loaded.
inline bool loadSong(ModuleSource &source, const SongHeap &heap) {
  return loadModule(source, heap) == XmAccepted;
}
