#include "ResourceStream.h"

TResourceStream::TResourceStream(HMODULE module, const char *name, const char *type) {
  OpenResource(module, name, type);
}

TResourceStream::~TResourceStream() {
  if (ResourceData)
    FreeResource(ResourceData);
}

void TResourceStream::OpenResource(HMODULE module, const char *name, const char *type) {
  ResourceInfo = FindResourceA(module, name, type);
  if (!ResourceInfo)
    return;
  ResourceData = LoadResource(module, ResourceInfo);
  const void *data = ResourceData ? LockResource(ResourceData) : nullptr;
  if (data)
    SetMemory(data, int32_t(SizeofResource(module, ResourceInfo)));
}

int32_t TResourceStream::Write(const void *, int32_t) { return 0; }
