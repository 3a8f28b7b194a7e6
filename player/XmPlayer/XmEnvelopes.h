#pragma once
#include "XmTypes.h"

// The instruments' volume and panning envelopes and the fadeout, on a channel.

// Steps the envelopes that are on and, once the key is released, the fadeout.
void stepEnvelopesAndFadeout(ReplayChannel &channel, const XmInstrument &instrument);
// Lxx: moves the volume envelope to `tick`.
void setVolumeEnvelopePosition(ReplayChannel &channel, const XmInstrument &instrument, uint8_t tick);
// Resets shared by an instrument number and a delayed note start.
void restartEnvelopesAndVibrato(ReplayChannel &channel);
