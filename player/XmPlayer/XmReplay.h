#pragma once
#include "XmTypes.h"

// What the replay files share: the row tick, the later ticks, the song-position
// effects, note periods, envelopes and the hand-over to the mixer's voices.

// Plays wherever a keymap entry names no sample. Never written: the finetune
// effect leaves it alone.
extern XmSample silentSample;

// Everything an effect handler may look at for one channel on one tick.
struct EffectContext {
  ReplayChannel &channel;
  const XmCell &cell;
  const XmInstrument &instrument;
  XmSample &sample;
  // The channel's period, volume and panning before the row was read (note delay).
  int32_t savedPeriod, savedVolume, savedPanning;
};

// Later ticks for all channels.
void processTick();

// The instrument and sample a channel plays. A channel without an instrument
// record behind it (a module without instruments) gets an empty, silent one.
const XmInstrument &channelInstrument(const ReplayChannel &channel);
XmSample &channelSample(const ReplayChannel &channel, const XmInstrument &instrument);
// The cells of the current row, one per channel.
const XmCell *currentRowCells();

// Song-position effects of the row tick.
void positionJump(uint8_t order);
void patternBreak(uint8_t row);
void patternLoop(ReplayChannel &channel, uint8_t count);
void patternDelay(uint8_t rows);
void setSpeedOrTempo(uint8_t value);

// The row-tick action of effects 1..33, and of the volume column.
void runRowEffect(EffectContext &context);
void applyVolumeColumn(ReplayChannel &channel, uint8_t volumeByte);

// Resets shared by an instrument number and a delayed note start.
void restartEnvelopesAndVibrato(ReplayChannel &channel);

// Periods and pitch.
int32_t notePeriod(int32_t note, const XmSample &sample);
int32_t amigaPeriod(int32_t note, const XmSample &sample);
bool linearFrequencies();
uint32_t periodFrequency(int32_t period, int32_t periodDelta);
void setVoiceStep(MixVoice &voice, uint32_t frequency);

// Envelopes. Steps the envelopes that are on and, once the key is released, the fadeout.
void stepEnvelopesAndFadeout(ReplayChannel &channel, const XmInstrument &instrument);
void setVolumeEnvelopePosition(ReplayChannel &channel, const XmInstrument &instrument, uint8_t tick);

// Writes the channel's tick into its mixer voice.
void updateVoice(ReplayChannel &channel, const XmSample &sample, const XmInstrument &instrument);
