#pragma once
#include "ScreamEffects.h"
#include "ScreamSong.h"

// Scream Tracker and Impulse Tracker take speeds up to 255 ticks a row, XM up to
// 31. A slower row plays at a speed XM has, stretched by a pattern delay to the
// same number of ticks (set on a channel added for it, with the row's own delay
// folded in), so that the row lasts as long and its slides and delays keep their
// ticks; a speed that no such pair makes exactly takes the nearest (a warning).
// Where a pass first plays a row, it is rewritten for the speed it plays at.
void PlaySlowSpeedsWithDelays(ScreamSong &song, ScreamLosses &losses);

// Impulse Tracker slides the tempo by x on each tick but a row's first (T0x down,
// T1x up, between 32 and 255); XM only sets it. Where a pass first plays a slide,
// the row sets the tempo the slide reaches by the row's end.
void PlayTempoSlidesAsTempos(ScreamSong &song);
