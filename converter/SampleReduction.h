#pragma once
#include <string>
#include <vector>

#include "SongModel.h"

// Brings every instrument to at most 16 samples: those the song's notes play stay.
// When they play more than 16, the 16 played most often stay, the other notes take
// the nearest kept note's sample, and a warning names the instrument (1-based
// number and name). Keymap entries that name no sample stay silent.
void ReduceInstrumentSamples(Song &song, std::vector<std::string> &warnings);
