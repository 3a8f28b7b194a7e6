#pragma once
#include <cstddef>

#include "SongHeap.h"

// A song heap for hosts without private heaps: zero-filled blocks released together.
// It refuses to grow past `limit` bytes, like a 32-bit heap that runs out.
class SongArena {
public:
  explicit SongArena(size_t limit = size_t(512) << 20);
  ~SongArena();
  SongArena(const SongArena &) = delete;
  SongArena &operator=(const SongArena &) = delete;

  SongHeap heap();
  void releaseAll();
  size_t bytesInUse() const { return used; }

private:
  struct Block;
  static void *allocate(void *context, size_t bytes);
  Block *blocks = nullptr;
  size_t used = 0;
  size_t limit;
};
