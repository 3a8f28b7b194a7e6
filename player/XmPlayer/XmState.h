#pragma once
#include "XmTypes.h"

// The one song of the process and what every part of the replay reads of it.

extern ReplayState song;
// Set by startSong from its flags before any block is rendered.
extern bool playOnce;

// Plays wherever a keymap entry names no sample. Never written: the finetune
// effect leaves it alone.
extern XmSample silentSample;

// Frames per tick: 120000 / bpm, 120000 for a bpm of 0.
void setTempo(uint32_t bpm);

// `order` when the song has it, else the first order.
inline int32_t orderInSong(int32_t order) { return order < song.songLength ? order : 0; }
