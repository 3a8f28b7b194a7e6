#pragma once
#include <windows.h>

#include <cstdint>

// The bytes of a resource where they lie in a loaded module.
struct ResourceBytes {
  const void *data; // null when the module has no such resource
  uint32_t size;
};

// `module` null means this program.
ResourceBytes FindResourceBytes(HMODULE module, const char *name, const char *type);
