#pragma once
#include <cstddef>
#include <cstdlib>
#include <memory>

#include "XmTypes.h"

using SampleBlock = std::unique_ptr<XmSample, void (*)(void *)>;

// A zero-filled sample of `length` frames with its spare values behind the sound,
// exactly as large as the loader makes it, so a sanitized build sees any read past it.
inline SampleBlock allocateSample(uint32_t length) {
  auto *sample = static_cast<XmSample *>(
      std::calloc(1, offsetof(XmSample, data) + 2 * (size_t(length) + SampleSpareValues)));
  sample->length = length;
  return SampleBlock(sample, &std::free);
}
