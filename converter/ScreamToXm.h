#pragma once
#include "ScreamEffects.h"
#include "ScreamSong.h"
#include "SongModel.h"

// The one mapping of a Scream Tracker or Impulse Tracker song, its parameters
// resolved (ParameterMemory.h), into the XM song: the orders without skip entries
// and up to the first end entry, every cell through ScreamEffects.h, the song's
// global volume on its first row, and the rewrites of ScreamQuirks.h where the
// trackers play the same effects otherwise. The song plays at least one pattern
// before its first end entry. Takes the instruments out of `scream.xm`.
Song ScreamToXm(ScreamSong &scream, ScreamLosses &losses);
