#pragma once
#include <string>
#include <vector>

#include "StreamUnit/StreamUnit.h"

// A read-only memory stream over bytes the test owns: the same reading code that
// resource streams use, without a module behind it.
class TMemoryBytes : public TCustomMemoryStream {
public:
  explicit TMemoryBytes(const std::string &bytes) : bytes(bytes) {
    SetMemory(this->bytes.data(), int32_t(this->bytes.size()));
  }
  int32_t Write(const void *, int32_t) override { return 0; }

private:
  std::string bytes;
};
