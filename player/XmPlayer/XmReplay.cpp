#include "XmReplay.h"

// The song position and the row tick.

XmSample silentSample;

namespace {

// Stands in for the instrument of a module that has none: no samples, envelopes off.
const XmInstrument silentInstrument{};

// Set by Bxx so that a later Dxy of the same row keeps the jump's order.
bool jumpOnRow;

const XmPattern &currentPattern() { return song.patterns[song.orderTable[song.order]]; }

bool isNote(uint8_t note) { return note >= 1 && note <= 96; }

void takePendingPosition() {
  if (song.nextOrder >= 0)
    song.order = song.nextOrder;
  if (song.nextRow >= 0)
    song.row = song.nextRow;
  song.nextOrder = -1;
  song.nextRow = -1;
  // A break or loop may name a row the pattern does not have; start it from the top.
  if (song.row >= currentPattern().rows)
    song.row = 0;
}

void resetToInstrument(ReplayChannel &channel, const XmSample &sample) {
  channel.volume = sample.volume;
  channel.panning = sample.panning;
  channel.volEnvValue = 64;
  channel.panEnvValue = 32;
  restartEnvelopesAndVibrato(channel);
  channel.updateFlags |= UpdateVolume | UpdatePanning;
}

void processChannelRow(ReplayChannel &channel, const XmCell &cell) {
  const bool tonePortamento = cell.effect == 3 || cell.effect == 5;
  if (!tonePortamento) {
    if (cell.instrument)
      channel.instrumentIndex = cell.instrument - 1;
    if (isNote(cell.note))
      channel.keyNote = cell.note - 1;
  }
  const XmInstrument &instrument = channelInstrument(channel);
  XmSample &sample = channelSample(channel, instrument);
  EffectContext context{channel, cell, instrument, sample, channel.period, channel.volume, channel.panning};

  // A tremolo that has stopped leaves its last offset in the volume.
  if (cell.effect != 7 && channel.lastEffect == 7)
    channel.volume += channel.volumeDelta;
  channel.lastEffect = cell.effect;
  channel.volumeDelta = 0;
  channel.periodDelta = 0;
  channel.updateFlags = UpdatePitch | UpdateVolume;

  if (isNote(cell.note)) {
    const int32_t note = cell.note - 1 + sample.relativeNote;
    channel.realNote = uint8_t(note);
    channel.notePeriod = notePeriod(note, sample);
    if (!tonePortamento)
      channel.period = channel.notePeriod;
    channel.updateFlags |= UpdateTrigger;
  }
  if (cell.instrument)
    resetToInstrument(channel, sample);
  applyVolumeColumn(channel, cell.volume);
  if (cell.note >= 97 || cell.effect == 20)
    channel.released = 1;
  // Without a volume envelope a released note falls silent at once.
  if (!(instrument.volumeType & 1) && channel.released)
    channel.volEnvValue = 0;
  stepEnvelopesAndFadeout(channel, instrument);
  if (cell.effect >= 1 && cell.effect <= 33)
    runRowEffect(context);
  updateVoice(channel, sample, instrument);
}

void processRow() {
  jumpOnRow = false;
  const XmCell *cells = currentRowCells();
  for (int32_t index = 0; index < song.channelCount; ++index)
    processChannelRow(song.channels[index], cells[index]);
}

bool advanceSong() {
  if (song.nextRow != -1)
    return true;
  if (song.row + 1 < currentPattern().rows) {
    song.nextRow = song.row + 1;
    return true;
  }
  int32_t order = song.order + 1;
  if (order >= song.songLength) {
    if (playOnce)
      return false;
    order = song.restartPosition < song.songLength ? song.restartPosition : 0;
  }
  song.nextOrder = order;
  song.nextRow = 0;
  return true;
}

} // namespace

const XmInstrument &channelInstrument(const ReplayChannel &channel) {
  if (channel.instrumentIndex >= song.instrumentCount)
    return silentInstrument;
  return song.instruments[channel.instrumentIndex];
}

XmSample &channelSample(const ReplayChannel &channel, const XmInstrument &instrument) {
  const uint8_t slot = instrument.keymap[channel.keyNote];
  if (slot >= 16 || !instrument.samples[slot])
    return silentSample;
  return *instrument.samples[slot];
}

const XmCell *currentRowCells() { return currentPattern().cells + song.row * song.channelCount; }

bool runTick() {
  if (song.tick == 0) {
    takePendingPosition();
    processRow();
    if (!advanceSong())
      return false;
  } else {
    processTick();
  }
  song.tickSamplesLeft = song.samplesPerTick;
  if (++song.tick >= song.speed + song.patternDelayTicks) {
    song.tick = 0;
    song.patternDelayTicks = 0;
  }
  return true;
}

void positionJump(uint8_t order) {
  song.nextOrder = order < song.songLength ? order : 0;
  song.nextRow = 0;
  jumpOnRow = true;
}

void patternBreak(uint8_t row) {
  song.nextRow = row;
  if (!jumpOnRow)
    song.nextOrder = song.order + 1 < song.songLength ? song.order + 1 : 0;
}

void patternLoop(ReplayChannel &channel, uint8_t count) {
  if (count == 0) {
    channel.loopRow = song.row;
  } else if (channel.loopCount == 0) {
    channel.loopCount = count;
    song.nextRow = channel.loopRow;
  } else if (--channel.loopCount != 0) {
    song.nextRow = channel.loopRow;
  }
}

void patternDelay(uint8_t rows) { song.patternDelayTicks = rows * song.speed; }

void setSpeedOrTempo(uint8_t value) {
  if (value < 0x20)
    song.speed = value;
  else
    setTempo(value);
}
