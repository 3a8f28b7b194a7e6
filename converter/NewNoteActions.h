#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "ScreamSong.h"

// Impulse Tracker lets a note go on (continue, released or fading) when the next
// note starts on its channel; XM cuts it. This step gives such a note's successor
// another XM channel, so that both sound: the channel's cells (its effects) follow
// the newest note, as in IT, while the one before plays on untouched; a released or
// fading one gets its key-off there. Duplicate checks and S70..S76 act on the notes
// of the channel as IT's do. Commands that act on the song (speed, tempo, jumps,
// breaks, loops, delays, global volume) stay on the channel's own XM channel.
//
// Each IT channel keeps its own XM channel and shares the channels added after
// them with the others, up to 64 in all. A note finds one that is silent by then
// (as far as its instrument and sample say: NoteLife.h), or a new one, or else the
// oldest note playing on from before is cut. Each order entry's pattern is routed
// as one pass plays it; entries that route a pattern otherwise play copies.
//
// What the notes playing tell also decides a tone portamento with nothing to slide:
// IT plays its note, as the portamento goes.

struct NoteSpreading {
  size_t channelsAdded = 0;
  size_t notesCut = 0;     // notes cut because all 64 channels were taken
  size_t routingsLost = 0; // order entries playing another entry's routing: no room for more patterns
  size_t panningsLost = 0; // moved notes that had no room to take their channel's panning
};

NoteSpreading SpreadNewNoteActions(ScreamSong &song);

std::vector<std::string> NoteSpreadingWarnings(const NoteSpreading &spreading);
