#include "XmState.h"

ReplayState song;
bool playOnce;
XmSample silentSample;

void setTempo(uint32_t bpm) { song.samplesPerTick = bpm == 0 ? 120000 : 120000 / bpm; }
