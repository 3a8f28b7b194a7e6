#include "XmControl_win32.h"

#include <windows.h>

#include "ModuleSource_win32.h"
#include "WaveOut_win32.h"
#include "XmLoader.h"
#include "XmOutput.h"
#include "XmPlayer.h"
#include "XmRender.h"
#include "XmState.h"

// startSong and stopSong: the song's private heap, the source, the device and the
// output thread, acquired in order and released in reverse.

namespace {

HANDLE songHeap;

void *allocateFromHeap(void *heap, size_t bytes) {
  return HeapAlloc(static_cast<HANDLE>(heap), HEAP_ZERO_MEMORY | HEAP_NO_SERIALIZE, bytes);
}

void destroySongHeap() {
  HANDLE heap = songHeap;
  if (!heap)
    return;
  songHeap = nullptr;
  HeapDestroy(heap);
}

// Everything after the thread: the rendering thread runs this itself at a play-once end.
void releaseDeviceAndHeap() {
  fillIndex = 0;
  closeWaveOut();
  destroySongHeap();
}

void stopSequence() {
  endOutputThread();
  releaseDeviceAndHeap();
}

void openSource(ModuleSource &source, const void *where, uintptr_t lengthOrModule, uint32_t flags) {
  if (flags & SourceMemory)
    openMemorySource(source, where, uint32_t(lengthOrModule));
  else if (flags & SourceFile)
    openFileSourceByPath(source, static_cast<const char *>(where));
  else
    openResourceSource(source, reinterpret_cast<HMODULE>(lengthOrModule), static_cast<const char *>(where));
}

bool loadFrom(const void *where, uintptr_t lengthOrModule, uint32_t flags) {
  static ModuleSource source; // 8 KiB of file window: not on the caller's stack
  openSource(source, where, lengthOrModule, flags);
  const bool loaded = loadSong(source, SongHeap{&allocateFromHeap, songHeap});
  closeSource(source);
  return loaded;
}

// Renders the whole ring on the calling thread; false when a play-once song ended
// (and released everything) already.
bool prefillRing() {
  do
    if (fillNextBlock() < BlockFrames) {
      endPlayedSong();
      return false;
    }
  while (fillIndex != 0);
  return true;
}

} // namespace

void endPlayedSong() {
  stopRequest.store(1);
  releaseDeviceAndHeap();
}

void *startSong(const void *source, uintptr_t lengthOrModule, uint32_t flags) {
  stopSequence();
  if (!source)
    return nullptr;
  playOnce = (flags & PlayOnce) != 0;
  paused = (flags & StartPaused) != 0;
  openWaveOut();
  songHeap = HeapCreate(0, 0, 0);
  if (songHeap && loadFrom(source, lengthOrModule, flags)) {
    prepareRing();
    if (prefillRing()) {
      stopRequest.store(0);
      if (playRing() && startOutputThread(&endPlayedSong))
        return &waveOutHandle;
    }
  }
  stopSequence();
  return nullptr;
}

void stopSong() { stopSequence(); }

void *currentSongHeap() { return songHeap; }
