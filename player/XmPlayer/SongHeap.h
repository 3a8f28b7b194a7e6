#pragma once
#include <cstddef>

// Where a song's memory comes from: zero-filled blocks that are never freed one by
// one and go all at once when the song stops (a private heap on Windows, an arena
// elsewhere).
struct SongHeap {
  void *(*allocateZeroed)(void *context, size_t bytes); // null when memory runs out
  void *context;
};

inline void *allocateFromSong(const SongHeap &heap, size_t bytes) {
  return heap.allocateZeroed(heap.context, bytes);
}
