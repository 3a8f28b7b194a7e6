#pragma once
#include <cstdint>
#include <limits>

#include "SongModel.h"

// How long a note of an XM instrument sounds, in ticks, as far as the instrument
// alone says: its sample's end where it has no loop, its volume envelope's end
// where that falls to silence, its fadeout after a key-off. What depends on the
// song's effects (slides, volume) is left out, so a note may fall silent earlier.

constexpr double Forever = std::numeric_limits<double>::infinity();

// Ticks from the note's start until it falls silent while its key is held.
double HeldTicks(const Song &song, uint8_t instrument, uint8_t note, double ticksPerSecond);

// Whether notes of the instrument follow a volume envelope that changes their volume.
bool HasShapingEnvelope(const Song &song, uint8_t instrument);

// Ticks from a key-off, `playedTicks` after the note's start, until it falls silent.
double ReleasedTicks(const Song &song, uint8_t instrument, double playedTicks);
