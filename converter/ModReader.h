#pragma once
#include <cstddef>
#include <cstdint>

#include "ModFile.h"

// Reads the song a MOD of `layout` stores, as its tracker wrote it: FLT8's halves
// joined into 8-channel patterns, sample data as far as the file holds it.
enum class ModFileRead { Read, BadSongLength, CutShort };
ModFileRead ReadModFile(const uint8_t *bytes, size_t size, const ModLayout &layout, ModFile &file);
