#pragma once
#include <string>

#include "SongModel.h"

// The song in the XM 1.04 layout the player reads: a 276-byte header, 9-byte
// pattern headers with every cell stored, 263-byte instrument headers (33 for an
// instrument without samples) and 40-byte sample headers. Empty when a pattern
// packs to more than the 65535 bytes its size field holds.
std::string WriteXm104(const Song &song);
