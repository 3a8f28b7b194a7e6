#pragma once
#include "XmTypes.h"

// The only writer of a mixer voice outside the mixer: what the channel's tick asked
// for (a trigger, a rewind, gains, panning, the step) goes over here.

void updateVoice(ReplayChannel &channel, const XmSample &sample, const XmInstrument &instrument);

// The resampling step of a voice playing at `frequency` Hz.
void setVoiceStep(MixVoice &voice, uint32_t frequency);
