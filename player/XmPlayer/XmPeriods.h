#pragma once
#include "XmTypes.h"

// Note periods and the frequencies they play at, in the song's frequency mode.

bool linearFrequencies();
// The period of a note (0-based, relative note applied) with the sample's finetune.
int32_t notePeriod(int32_t note, const XmSample &sample);
// The same in Amiga mode, whatever the song's mode.
int32_t amigaPeriod(int32_t note, const XmSample &sample);
// Hertz of a period moved by a vibrato or arpeggio delta; at least 40.
uint32_t periodFrequency(int32_t period, int32_t periodDelta);
