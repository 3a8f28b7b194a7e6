// The XM loader over a memory source, then minutes of song time rendered.
#include "XmFuzzPlay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < XmControlBytes)
    return 0;
  // The module ends where libFuzzer's buffer ends, so a read past it is caught.
  static ModuleSource source;
  openMemorySource(source, data + XmControlBytes, uint32_t(size - XmControlBytes));
  playFuzzedModule(source, data);
  return 0;
}
