#include "XmReplay.h"

#include "XmEffects.h"
#include "XmEnvelopes.h"
#include "XmPeriods.h"
#include "XmState.h"
#include "XmVoiceUpdate.h"

// The song position, the row tick and the later ticks: reads each channel's cell and
// hands it to the effects, then the result to the voice.

namespace {

// Stands in for the instrument of a module that has none: no samples, envelopes off.
const XmInstrument silentInstrument{};

const XmPattern &currentPattern() { return song.patterns[song.orderTable[song.order]]; }

bool isNote(uint8_t note) { return note >= 1 && note <= LastNote; }

// The instrument and sample a channel plays. A channel without an instrument
// record behind it (a module without instruments) gets an empty, silent one.
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

// The cells of the current row, one per channel.
const XmCell *currentRowCells() { return currentPattern().cells + song.row * song.channelCount; }

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
  const bool tonePortamento =
      cell.effect == XmEffect::TonePortamento || cell.effect == XmEffect::TonePortamentoVolumeSlide;
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
  if (cell.effect != XmEffect::Tremolo && channel.lastEffect == XmEffect::Tremolo)
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
  if (cell.note >= KeyOffNote || cell.effect == XmEffect::KeyOff)
    channel.released = 1;
  // Without a volume envelope a released note falls silent at once.
  if (!(instrument.volumeType & EnvelopeOn) && channel.released)
    channel.volEnvValue = 0;
  stepEnvelopesAndFadeout(channel, instrument);
  if (cell.effect >= 1 && cell.effect <= XmEffect::LastKnown)
    runRowEffect(context);
  updateVoice(channel, sample, instrument);
}

void processRow() {
  startRowEffects();
  const XmCell *cells = currentRowCells();
  for (int32_t index = 0; index < song.channelCount; ++index)
    processChannelRow(song.channels[index], cells[index]);
}

void processChannelLaterTick(ReplayChannel &channel, const XmCell &cell) {
  const XmInstrument &instrument = channelInstrument(channel);
  XmSample &sample = channelSample(channel, instrument);
  EffectContext context{channel, cell, instrument, sample, 0, 0, 0};
  channel.volumeDelta = 0;
  channel.periodDelta = 0;
  channel.updateFlags = 0;
  stepEnvelopesAndFadeout(channel, instrument);
  runLaterTickEffects(context);
  updateVoice(channel, sample, instrument);
}

void processLaterTick() {
  const XmCell *cells = currentRowCells();
  for (int32_t index = 0; index < song.channelCount; ++index)
    processChannelLaterTick(song.channels[index], cells[index]);
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
    order = orderInSong(song.restartPosition);
  }
  song.nextOrder = order;
  song.nextRow = 0;
  return true;
}

} // namespace

bool runTick() {
  if (song.tick == 0) {
    takePendingPosition();
    processRow();
    if (!advanceSong())
      return false;
  } else {
    processLaterTick();
  }
  song.tickSamplesLeft = song.samplesPerTick;
  if (++song.tick >= song.speed + song.patternDelayTicks) {
    song.tick = 0;
    song.patternDelayTicks = 0;
  }
  return true;
}
