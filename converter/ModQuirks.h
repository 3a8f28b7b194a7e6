#pragma once
#include <cstddef>
#include <vector>

#include "SongModel.h"

// Rewrites of a converted MOD, where ProTracker plays a song otherwise than the same
// effects do in XM. Each works on the song as a whole, after every cell is mapped.

// A break or jump on a row that ProTracker also delays (EEx) enters its target one
// row further on; the XM break names that row itself, and a jump gets a break to
// row 1 on a channel after it (the player takes a break's row after a jump's).
void MatchDelayedJumps(SongPattern &pattern, size_t channels);

// F00 stops the song in ProTracker. It becomes a jump to an order added at the end,
// one silent row; when the song's first pass stops there, the song also restarts
// there, so it stays stopped. Returns how many F00 there were.
size_t StopAtF00(Song &song);

// A panning command (8xx, and E8x as 8xx) holds for the notes after it, as in the
// reference players; an XM note would take its sample's panning again. Each note
// and instrument of a row gets the panning its channel has when a pass first plays
// it, in the volume column, from `defaultPanning` (volume-column steps per channel).
void KeepPanning(Song &song, const std::vector<uint8_t> &defaultPanning);

// ProTracker's and Soundtracker's slides (1xx, 2xx, E1x, E2x) stop at periods 113
// and 856, XM's go on.
// A slide that would pass a limit where a pass first plays it slides only as far
// as the limit. `finetunes` holds each instrument's MOD finetune.
void KeepSlidesWithinAmigaLimits(Song &song, const std::vector<int> &finetunes);
