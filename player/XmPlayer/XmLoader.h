#pragma once
#include "ModuleSource.h"
#include "SongHeap.h"

// Reads an XM module from `source` into `song`, every block from `heap`. False when
// the module is rejected or memory runs out; whatever was allocated stays in the heap.
bool loadSong(ModuleSource &source, const SongHeap &heap);

// Longest sample the loader accepts, in frames.
constexpr uint32_t MaxSampleFrames = 1u << 22;
