#include "ModuleSource.h"

#include <cstring>

#include "Limits.h"

void openMemorySource(ModuleSource &source, const void *data, uint32_t size) {
  source.size = size;
  source.position = 0;
  source.base = static_cast<const uint8_t *>(data);
  source.file = nullptr;
  source.readAt = nullptr;
}

void openFileSource(ModuleSource &source, void *file, FileReadAt readAt) {
  source.size = 0xFFFFFFFF;
  source.position = 0;
  source.base = nullptr;
  source.file = file;
  source.readAt = readAt;
  source.windowStart = 1;
}

static void readMemory(ModuleSource &source, uint8_t *destination, uint32_t count) {
  const int64_t available = int64_t(source.size) - source.position;
  const int64_t n = minOf<int64_t>(count, available);
  if (n > 0)
    std::memcpy(destination, source.base + source.position, size_t(n));
  source.position += count;
}

// A short read (end of file, failure) leaves zeros rather than stale bytes.
static void readFileAt(ModuleSource &source, uint64_t offset, uint8_t *destination, uint32_t count) {
  uint32_t got = 0;
  if (offset < 0xFFFFFFFF)
    got = source.readAt(source.file, uint32_t(offset), destination, count);
  if (got < count)
    std::memset(destination + got, 0, count - got);
}

static bool insideWindow(const ModuleSource &source) {
  return source.windowStart % FileWindowBytes == 0 && source.position >= source.windowStart &&
         source.position < source.windowStart + FileWindowBytes;
}

// Whole 8 KiB stretches go straight to the destination; the ragged ends come
// through the window, so a loader reading byte by byte costs one file read per 8 KiB.
static void readFileWindowed(ModuleSource &source, uint8_t *destination, uint32_t count) {
  while (count > 0) {
    if (insideWindow(source)) {
      const uint32_t offset = uint32_t(source.position - source.windowStart);
      const uint32_t n = minOf<uint32_t>(count, FileWindowBytes - offset);
      std::memcpy(destination, source.window + offset, n);
      destination += n;
      count -= n;
      source.position += n;
      if (count == 0)
        return;
    }
    const uint64_t end = (uint64_t(source.position) + count) / FileWindowBytes * FileWindowBytes;
    if (end > uint64_t(source.position)) {
      const uint32_t n = uint32_t(end - uint64_t(source.position));
      readFileAt(source, uint64_t(source.position), destination, n);
      destination += n;
      count -= n;
      source.position += n;
    }
    if (count == 0)
      return;
    source.windowStart = source.position / FileWindowBytes * FileWindowBytes;
    readFileAt(source, uint64_t(source.windowStart), source.window, FileWindowBytes);
  }
}

void readSource(ModuleSource &source, void *destination, uint32_t count) {
  uint8_t *bytes = static_cast<uint8_t *>(destination);
  if (source.readAt)
    readFileWindowed(source, bytes, count);
  else
    readMemory(source, bytes, count);
}

void seekSource(ModuleSource &source, int64_t offset, bool relative) {
  const int64_t target = relative ? source.position + offset : offset;
  if (target >= 0 && target <= int64_t(source.size))
    source.position = target;
}
