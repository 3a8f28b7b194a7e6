#include "ResourceStream.h"

#include "ResourceBytes_win32.h"

TResourceStream::TResourceStream(HMODULE module, const char *name, const char *type) {
  const ResourceBytes resource = FindResourceBytes(module, name, type);
  if (resource.data)
    SetMemory(resource.data, int32_t(resource.size));
}

int32_t TResourceStream::Write(const void *, int32_t) { return 0; }
