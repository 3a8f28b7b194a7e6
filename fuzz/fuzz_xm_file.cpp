// The XM loader through the file source and its 8 KiB window, then minutes of song
// time rendered.
#include <cstring>

#include "XmFuzzPlay.h"

namespace {

struct InputFile {
  const uint8_t *bytes;
  size_t size;
};

// What ReadFile gives at an offset: the bytes that exist there, nothing past the end.
uint32_t readInputAt(void *file, uint32_t offset, void *destination, uint32_t count) {
  const InputFile &input = *static_cast<const InputFile *>(file);
  if (offset >= input.size)
    return 0;
  const size_t left = input.size - offset;
  const uint32_t n = count < left ? count : uint32_t(left);
  std::memcpy(destination, input.bytes + offset, n);
  return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < XmControlBytes)
    return 0;
  InputFile file{data + XmControlBytes, size - XmControlBytes};
  static ModuleSource source;
  openFileSource(source, &file, &readInputAt);
  playFuzzedModule(source, data);
  return 0;
}
