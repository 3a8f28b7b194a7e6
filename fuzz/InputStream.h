#pragma once
#include <cstdint>

#include "StreamUnit/StreamUnit.h"

// A read-only memory stream straight over libFuzzer's input, which ends exactly where
// the bytes end: a read past them is caught.
class TInputStream : public TCustomMemoryStream {
public:
  TInputStream(const void *bytes, int32_t size) { SetMemory(bytes, size); }
  int32_t Write(const void *, int32_t) override { return 0; }
};
