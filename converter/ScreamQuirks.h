#pragma once
#include <vector>

#include "ScreamEffects.h"
#include "SongModel.h"

// Rewrites of the XM of a Scream Tracker or Impulse Tracker song (ScreamToXm.h),
// where the trackers play the song otherwise than the same XM effects would. Each
// works on the song as a whole, after every cell is mapped; those that follow the
// channels do so in play order and change a row where a pass first plays it.

// A channel more, empty, after the others.
void AddEmptyChannel(Song &song);

// With a tone portamento an instrument number only sets its sample's volume.
void TonePortamentoKeepsTheSample(Song &song);

// A row's first pattern delay that delays is the one that counts; with
// `repeatFineSlides` (Scream Tracker) the row's fine slides slide again with each
// repetition. With `zeroCounts` (Impulse Tracker) a first SE0 counts too.
void KeepFirstPatternDelays(Song &song, bool repeatFineSlides, ScreamLosses &losses, bool zeroCounts = false);

// A jump and a break on one row go to the break's row of the jump's order.
void BreaksAfterJumps(Song &song);

// Scream Tracker: one pattern loop for all channels, on a channel added for it.
void OneLoopForAllChannels(Song &song);

// Scream Tracker: an offset past a sample's end goes round its loop, or is silent.
// With `fromTheStart` (Impulse Tracker without old effects) such a note plays its
// sample from the start.
void OffsetsPastTheEnd(Song &song, bool fromTheStart = false);

// Scream Tracker: a retrigger counts its ticks on from row to row, where the
// player counts them from each row's first: where the count falls on a row's
// first tick and the note has kept its pitch, the row strikes the note again.
void RetriggersAcrossRows(Song &song);

// A note after a cut (XM's key-off) plays again; an instrument number alone does not.
// With `impulse`, an instrument number alone plays as Impulse Tracker plays it
// (`instrumentPanning`: the instruments whose numbers set the channel's panning).
void NotesAfterCuts(Song &song, bool impulse = false, const std::vector<bool> &instrumentPanning = {});

// Each channel keeps its panning where XM would take a sample's, from
// `channelPanning` (0..255 per channel) on; where `samplesHaveNoPanning`, each
// sample first takes the panning it plays at most often.
// Impulse Tracker: the instruments of `instrumentPanning` set the channel's panning
// to their sample's (a default panning); with `instrumentRestarts` a note's
// instrument number, which restarts its envelopes, is never left out.
void KeepPanning(Song &song, const std::vector<uint8_t> &channelPanning, bool samplesHaveNoPanning,
                 ScreamLosses &losses, const std::vector<bool> &instrumentPanning = {},
                 bool instrumentRestarts = false);
