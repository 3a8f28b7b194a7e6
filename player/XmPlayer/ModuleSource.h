#pragma once
#include <cstdint>

// The loader's byte reader over a module in memory or in a file. A read past the
// end delivers what exists and still advances the position, so a short module
// shows up as zero counts that the loader rejects.

constexpr uint32_t FileWindowBytes = 8192;

// Reads up to `count` bytes at absolute `offset` of the file; returns how many it got.
typedef uint32_t (*FileReadAt)(void *file, uint32_t offset, void *destination, uint32_t count);

struct ModuleSource {
  uint32_t size; // bytes available; a file claims everything
  int64_t position;
  const uint8_t *base; // memory variants
  void *file;          // file variant
  FileReadAt readAt;
  int64_t windowStart; // file offset of the window; 1 matches no window
  uint8_t window[FileWindowBytes];
};

void openMemorySource(ModuleSource &source, const void *data, uint32_t size);
void openFileSource(ModuleSource &source, void *file, FileReadAt readAt);

// Copies `count` bytes to `destination` and advances. Bytes beyond the end of a
// memory source keep what the destination held; a file past its end reads as 0.
void readSource(ModuleSource &source, void *destination, uint32_t count);
// Absolute or relative; a target before the start or beyond the size is ignored.
void seekSource(ModuleSource &source, int64_t offset, bool relative);
