#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ModFile.h"

// What a file is as a MOD: one with a tag that names its layout, an untagged
// 15-sample Soundtracker file, one with a tag this program does not know, or none.
struct ModRecognition {
  enum Kind { Tagged, Untagged, UnknownTag, NotMod } kind = NotMod;
  ModLayout layout;
  std::string tag; // the four bytes where a tag stands
};

ModRecognition RecogniseMod(const uint8_t *bytes, size_t size);

// Where the stored patterns end: the header and `patterns` stored patterns of the layout.
size_t ModPatternsEnd(const ModLayout &layout, size_t patterns);

// The sample bytes the headers of a file with `samples` samples announce.
uint64_t ModSampleBytes(const uint8_t *bytes, int samples);

// The number of patterns a file stores when it counts by `orders` (its first
// `entries` order entries): the highest named, plus one.
size_t ModPatternsNamed(const ModLayout &layout, const uint8_t *orders, size_t entries);
