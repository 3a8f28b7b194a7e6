#pragma once
#include <windows.h>

#include "StreamUnit.h"

// Read-only stream over a resource of a loaded module, read where it lies. A missing
// resource gives an empty stream.
class TResourceStream : public TCustomMemoryStream {
public:
  TResourceStream(HMODULE module, const char *name, const char *type);

  // Resources are read-only: nothing is written and 0 bytes are reported.
  int32_t Write(const void *buffer, int32_t count) override;
};
