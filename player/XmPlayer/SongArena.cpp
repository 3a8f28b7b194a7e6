#include "SongArena.h"

#include <cstdlib>

struct SongArena::Block {
  Block *next;
  alignas(16) unsigned char data[1];
};

SongArena::SongArena(size_t limit) : limit(limit) {}

SongArena::~SongArena() { releaseAll(); }

SongHeap SongArena::heap() { return SongHeap{&SongArena::allocate, this}; }

void SongArena::releaseAll() {
  while (blocks) {
    Block *next = blocks->next;
    std::free(blocks);
    blocks = next;
  }
  used = 0;
}

void *SongArena::allocate(void *context, size_t bytes) {
  SongArena &arena = *static_cast<SongArena *>(context);
  if (bytes > arena.limit - arena.used)
    return nullptr;
  Block *block = static_cast<Block *>(std::calloc(1, offsetof(Block, data) + bytes));
  if (!block)
    return nullptr;
  block->next = arena.blocks;
  arena.blocks = block;
  arena.used += bytes;
  return block->data;
}
