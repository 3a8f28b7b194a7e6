#pragma once
#include <cstdint>

// Public face of the music unit: one song at a time, played through the wave-out
// device on a thread of its own.

// Flags of startSong. With neither source bit set the source is an RCDATA resource.
enum : uint32_t {
  SourceResource = 0, // source: resource name; lengthOrModule: module handle (0: this program)
  SourceMemory = 1,   // source: module image; lengthOrModule: its size in bytes
  SourceFile = 2,     // source: NUL-terminated path; lengthOrModule ignored
  PlayOnce = 8,       // stop at the end of the song instead of restarting
  StartPaused = 16,   // play silence and keep the song at its start
};

// Stops whatever plays, then loads and starts the module. Returns the address of the
// wave-out handle slot while the song plays, null when anything failed. A null source
// only stops.
void *startSong(const void *source, uintptr_t lengthOrModule, uint32_t flags);

// Stops the song and releases its thread, device and memory; returns after the output
// thread has ended. Does nothing when nothing plays.
void stopSong();
