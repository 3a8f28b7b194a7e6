#pragma once
#include <string>
#include <vector>

#include "SongModel.h"

// The player keeps at most this many samples per instrument.
constexpr size_t MaxInstrumentSamples = 16;

// Brings every instrument to at most 16 samples. Samples the keymap never names go
// without a word; when it names more than 16, the 16 named most often stay, the
// other notes take the nearest kept note's sample, and a warning names the
// instrument (1-based number and name).
void ReduceInstrumentSamples(Song &song, std::vector<std::string> &warnings);
