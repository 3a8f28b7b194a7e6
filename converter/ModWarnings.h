#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the XM of a MOD plays differently, counted as the conversion finds it, and
// the warnings that tell a user of it.
struct ModLosses {
  size_t amigaFilter = 0, invertLoop = 0, finetune = 0, instrumentSwaps = 0, notesOutOfRange = 0,
         offsetsPastEnd = 0;
  unsigned askedBpm = 0; // what the tempo byte asked for, when above XM's fastest
  uint64_t missingSampleBytes = 0;
};

std::vector<std::string> ModWarnings(const ModLosses &losses);
