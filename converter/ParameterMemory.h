#pragma once
#include <cstddef>
#include <cstdint>

#include "ScreamSong.h"

// Scream Tracker and Impulse Tracker remember a command's last parameter and take
// it where the command says 00; XM remembers otherwise (one memory per effect, and
// none for some). This step writes into every such 00 the value the tracker would
// use, so that the XM effect gets it spelled out.

// Which memory each command's 00 reads and a non-zero parameter writes: 0 for a
// command whose 00 is a value of its own, otherwise a memory number shared by the
// commands that have the same one. Indexed by command (1 = A .. 26 = Z).
struct ParameterMemoryTable {
  uint8_t memory[ScreamCommands + 1] = {};
  // Impulse Tracker: the memory of the volume column's own slides, whose 0 values
  // are resolved too; 0 for a song without such a volume column.
  uint8_t volumeColumn = 0;
};

// Scream Tracker 3: one memory per channel for most commands; Gxx and Oxx each have
// their own.
ParameterMemoryTable ScreamTracker3Memory();

// Impulse Tracker: a memory per command, but E and F share one, which G joins
// unless the song's "compatible Gxx" is on; K and L slide with D's, U vibrates
// with H's.
ParameterMemoryTable ImpulseTrackerMemory(const ScreamFlags &flags);

// Resolves the 00 parameters of `song` as one pass plays them (ScreamWalk.h), each
// channel with its own memories. A pattern that the pass enters with memories that
// resolve it otherwise than before is played from a copy, while the song has fewer
// than 256 patterns; beyond that, and for rows a pattern loop plays again, the first
// resolution stays. Returns how many 00 parameters play with a value other than the
// tracker's because of that.
size_t ResolveParameterMemory(ScreamSong &song, const ParameterMemoryTable &table);
