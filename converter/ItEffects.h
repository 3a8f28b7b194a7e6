#pragma once
#include <cstdint>
#include <optional>

#include "ScreamEffects.h"
#include "ScreamSong.h"
#include "SongModel.h"

// Impulse Tracker's commands where they play otherwise than Scream Tracker 3's, and
// its note events and volume column, as XM effects. ScreamEffects.h asks here first
// for an IT song's cells.

struct ItMappedCommand {
  uint8_t effect = 0, parameter = 0;
  ScreamLoss loss = ScreamLoss::None;
};

// The XM effect of an IT command, or nothing where Scream Tracker 3's mapping holds.
std::optional<ItMappedCommand> MapItCommand(uint8_t command, uint8_t parameter, const ScreamFlags &flags);

// Completes `out`, whose effect is mapped, with the cell's note event and volume
// column: the volume column's commands that XM's volume column lacks take the
// effect column where it is free.
void MapItNoteAndVolume(const ScreamCell &cell, const ScreamFlags &flags, SongCell &out,
                        ScreamLosses &losses);

// A vibrato depth of IT's as XM's, which is half as deep (a quarter with old effects).
uint8_t ItVibratoDepth(uint8_t depth, const ScreamFlags &flags);
