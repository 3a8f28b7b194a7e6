#include "ResourceBytes_win32.h"

ResourceBytes FindResourceBytes(HMODULE module, const char *name, const char *type) {
  HRSRC info = FindResourceA(module, name, type);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void *data = loaded ? LockResource(loaded) : nullptr;
  return {data, data ? uint32_t(SizeofResource(module, info)) : 0};
}
