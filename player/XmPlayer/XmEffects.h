#pragma once
#include "XmTypes.h"

// The effect column and the volume column of one channel's cell, on the row tick and
// on the later ticks of its row. Effects that move the song position leave the new
// position in the song (nextOrder, nextRow, patternDelayTicks) for the replay to take.

// Everything an effect handler may look at for one channel on one tick.
struct EffectContext {
  ReplayChannel &channel;
  const XmCell &cell;
  const XmInstrument &instrument;
  XmSample &sample;
  // The channel's period, volume and panning before the row was read (note delay).
  int32_t savedPeriod, savedVolume, savedPanning;
};

// Called before the first channel of every row.
void startRowEffects();
// The row-tick action of the effect column, and of the volume column.
void runRowEffect(EffectContext &context);
void applyVolumeColumn(ReplayChannel &channel, uint8_t volumeByte);
// A later tick of the row: the volume column, then the effect column.
void runLaterTickEffects(EffectContext &context);
