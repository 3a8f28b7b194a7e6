#include "XmEffects.h"

#include "Limits.h"
#include "XmEnvelopes.h"
#include "XmPeriods.h"
#include "XmState.h"

// What each command does on the row tick and on the later ticks of its row.

namespace {

// 255 x sin(pi x i / 32), rounded down: half a period of the vibrato and tremolo
// sine, as FastTracker 2 and ProTracker have it.
const uint8_t waveformTable[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212,
                                   224, 235, 244, 250, 253, 255, 253, 250, 244, 235, 224,
                                   212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

uint8_t high(uint8_t value) { return value >> 4; }
uint8_t low(uint8_t value) { return value & 15; }

// Pitch and volume-column panning slides have no bound of their own and may run for
// hours of play. Far beyond what can sound different (every period above the bound
// plays at 0 Hz, every one below 0 at the lowest frequency; the final panning is cut
// to 0..255), they stop, so the arithmetic on them stays defined.
constexpr int32_t PeriodBound = 1 << 30;
constexpr int32_t PanningBound = 1 << 24;

// Values stay within their bound and a step is at most a few thousand, so the sums
// below never leave 32 bits.
int32_t within(int32_t value, int32_t bound) { return clampTo(value, -bound, bound); }

void movePeriod(ReplayChannel &channel, int32_t amount) {
  channel.period = within(channel.period + amount, PeriodBound);
}

// Stores a non-zero parameter; zero reuses what was stored before.
void remember(uint8_t &memory, uint8_t value) {
  if (value)
    memory = value;
}

int32_t waveformAt(int32_t position, uint8_t waveform) {
  switch (waveform) {
  case 0: return position < 32 ? waveformTable[position % 32] : -waveformTable[position % 32];
  // Ramp: a straight fall from 255 to -255 across the period.
  case 1: return 255 - 510 * position / 63;
  default: return position < 32 ? 255 : -255;
  }
}

// The wave times the depth, in 2^shift ths: the vibrato moves the period by up to
// 255 x 15 / 32 units (two semitones), the tremolo the volume by up to 59 of 64.
int32_t waveformValue(uint8_t &position, uint8_t speed, uint8_t depth, uint8_t waveform, int32_t shift) {
  const int32_t value = waveformAt(position & 63, waveform);
  position = (position + speed) & 63;
  return (value * depth) >> shift;
}

void vibratoStep(ReplayChannel &channel) {
  channel.periodDelta = waveformValue(channel.vibratoPos, channel.vibratoSpeed, channel.vibratoDepth,
                                      channel.waveControl & 3, 5);
  channel.updateFlags |= UpdatePitch;
}

void tremoloStep(ReplayChannel &channel) {
  channel.volumeDelta = waveformValue(channel.tremoloPos, channel.tremoloSpeed, channel.tremoloDepth,
                                      (channel.waveControl >> 4) & 3, 6);
  channel.updateFlags |= UpdateVolume;
}

void tonePortamentoStep(ReplayChannel &channel) {
  const int32_t speed = 4 * channel.tonePortaSpeed;
  if (channel.period > channel.portaTarget)
    channel.period = maxOf(channel.period - speed, channel.portaTarget);
  else
    channel.period = minOf(channel.period + speed, channel.portaTarget);
  channel.updateFlags |= UpdatePitch;
}

void changeVolume(ReplayChannel &channel, int32_t amount) {
  channel.volume += amount;
  channel.updateFlags |= UpdateVolume;
}

void volumeSlide(ReplayChannel &channel) {
  const uint8_t slide = channel.volumeSlide;
  changeVolume(channel, high(slide) ? high(slide) : -low(slide));
}

void tremorStep(ReplayChannel &channel) {
  channel.updateFlags |= UpdateVolume;
  if (channel.tremorCount > channel.tremorOn)
    channel.volumeDelta = -channel.volume;
  if (channel.tremorCount > channel.tremorOn + channel.tremorOff)
    channel.tremorCount = 0;
  else
    channel.tremorCount += 1;
}

void startTonePortamento(ReplayChannel &channel) {
  channel.portaTarget = channel.notePeriod;
  channel.updateFlags &= ~(UpdatePitch | UpdateTrigger);
}

void checkSampleOffset(ReplayChannel &channel, const XmSample &sample) {
  if (channel.sampleOffset < sample.loopStart + sample.loopLength) {
    channel.startOffset = channel.sampleOffset;
    return;
  }
  // Past the end: the new note does not start and the old sound restarts its sample.
  channel.updateFlags = uint8_t((channel.updateFlags & ~UpdateTrigger) | UpdateRewind);
  channel.startOffset = 0;
}

void setPanning(ReplayChannel &channel, int32_t panning) {
  channel.panning = within(panning, PanningBound);
  channel.updateFlags |= UpdatePanning;
}

void extraFinePortamento(ReplayChannel &channel, uint8_t parameter) {
  if (high(parameter) == XmExtraFine::Up) {
    remember(channel.extraFinePortaUp, low(parameter));
    movePeriod(channel, -channel.extraFinePortaUp);
  } else if (high(parameter) == XmExtraFine::Down) {
    remember(channel.extraFinePortaDown, low(parameter));
    movePeriod(channel, channel.extraFinePortaDown);
  }
}

void fineVolumeSlide(ReplayChannel &channel, int8_t amount) {
  if (amount)
    channel.fineVolumeSlide = amount;
  channel.volume -= channel.fineVolumeSlide;
}

// Set by Bxx so that a later Dxy of the same row keeps the jump's order.
bool jumpOnRow;

void positionJump(uint8_t order) {
  song.nextOrder = orderInSong(order);
  song.nextRow = 0;
  jumpOnRow = true;
}

void patternBreak(uint8_t row) {
  song.nextRow = row;
  if (!jumpOnRow)
    song.nextOrder = orderInSong(song.order + 1);
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

void extendedRowEffect(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  const uint8_t y = low(context.cell.parameter);
  switch (high(context.cell.parameter)) {
  case XmExtended::FinePortamentoUp:
    remember(channel.finePortaUp, y);
    movePeriod(channel, -4 * channel.finePortaUp);
    break;
  case XmExtended::FinePortamentoDown:
    remember(channel.finePortaDown, y);
    movePeriod(channel, 4 * channel.finePortaDown);
    break;
  case XmExtended::VibratoWaveform: channel.waveControl = (channel.waveControl & 0xF0) | y; break;
  case XmExtended::SetFinetune:
    if (&context.sample != &silentSample)
      context.sample.finetune = int8_t(y);
    break;
  case XmExtended::PatternLoop: patternLoop(channel, y); break;
  case XmExtended::TremoloWaveform: channel.waveControl = (channel.waveControl & 0x0F) | (y << 4); break;
  case XmExtended::SetPanning: setPanning(channel, y * 16); break;
  case XmExtended::FineVolumeUp: fineVolumeSlide(channel, int8_t(-y)); break;
  case XmExtended::FineVolumeDown: fineVolumeSlide(channel, int8_t(y)); break;
  case XmExtended::NoteDelay:
    channel.period = context.savedPeriod;
    channel.volume = context.savedVolume;
    channel.panning = context.savedPanning;
    channel.updateFlags = 0;
    break;
  case XmExtended::PatternDelay: patternDelay(y); break;
  default: break;
  }
}

void delayedNoteStart(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  channel.volume = context.sample.volume;
  channel.volEnvValue = channel.volEnvValue > 9 ? 64 : 0;
  restartEnvelopesAndVibrato(channel);
  channel.period = channel.notePeriod;
  channel.updateFlags |= UpdateTrigger | UpdateVolume | UpdatePitch;
  applyVolumeColumn(channel, context.cell.volume);
}

void extendedLaterEffect(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  const uint8_t y = low(context.cell.parameter);
  switch (high(context.cell.parameter)) {
  case XmExtended::Retrigger:
    if (y && song.tick % y == 0)
      channel.updateFlags |= UpdateTrigger | UpdateVolume | UpdatePitch;
    break;
  case XmExtended::NoteCut:
    if (song.tick == y) {
      channel.volume = 0;
      channel.updateFlags |= UpdateVolume;
    }
    break;
  case XmExtended::NoteDelay:
    if (song.tick == y)
      delayedNoteStart(context);
    else
      channel.updateFlags = 0;
    break;
  default: break;
  }
}

int32_t arpeggioDelta(const ReplayChannel &channel, const XmSample &sample, int32_t semitones) {
  if (linearFrequencies())
    return 64 * semitones;
  return amigaPeriod(channel.realNote + semitones, sample) - amigaPeriod(channel.realNote, sample);
}

void arpeggio(EffectContext &context) {
  const uint8_t parameter = context.cell.parameter;
  if (!parameter)
    return;
  const int32_t phase = song.tick % 3;
  const int32_t semitones = phase == 1 ? high(parameter) : phase == 2 ? low(parameter) : 0;
  context.channel.periodDelta = arpeggioDelta(context.channel, context.sample, semitones);
  context.channel.updateFlags |= UpdatePitch;
}

void slidePeriod(ReplayChannel &channel, int32_t amount) {
  movePeriod(channel, amount);
  channel.periodDelta = 0;
  channel.updateFlags |= UpdatePitch;
}

// Hxy and Pxy: up by x when x is set, else down by y, stopping at 0 and at `top`. A
// value already outside them (a panning the volume column slid far) only comes back.
int32_t slideWithin(int32_t value, uint8_t memory, int32_t top) {
  if (high(memory))
    return minOf(value + high(memory), top);
  return maxOf(value - low(memory), 0);
}

void globalVolumeSlide() {
  song.globalVolume = slideWithin(song.globalVolume, song.globalVolumeSlideMemory, 64);
}

void panningSlide(ReplayChannel &channel) {
  channel.panning = slideWithin(channel.panning, channel.panSlide, 255);
  channel.updateFlags |= UpdatePanning;
}

int32_t retriggerVolume(uint8_t mode, int32_t volume) {
  switch (mode) {
  case 1: return volume - 1;
  case 2: return volume - 2;
  case 3: return volume - 4;
  case 4: return volume - 8;
  case 5: return volume - 16;
  case 6: return volume * 2 / 3;
  case 7: return volume >> 1;
  case 9: return volume + 1;
  case 10: return volume + 2;
  case 11: return volume + 4;
  case 12: return volume + 8;
  case 13: return volume + 16;
  case 14: return (volume * 3) >> 1;
  case 15: return volume * 2;
  default: return volume;
  }
}

void retrigger(ReplayChannel &channel) {
  if (!channel.retrigInterval || song.tick % channel.retrigInterval != 0)
    return;
  channel.updateFlags |= UpdateTrigger;
  if (channel.retrigVolumeMode) {
    channel.volume = retriggerVolume(channel.retrigVolumeMode, channel.volume);
    channel.updateFlags |= UpdateVolume;
  }
}

void volumeColumnLaterTick(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  const uint8_t y = low(context.cell.volume);
  switch (high(context.cell.volume)) {
  case XmVolumeColumn::SlideDown: changeVolume(channel, -y); break;
  case XmVolumeColumn::SlideUp: changeVolume(channel, y); break;
  case XmVolumeColumn::Vibrato:
    channel.vibratoDepth = y;
    vibratoStep(channel);
    break;
  case XmVolumeColumn::PanningSlideLeft: setPanning(channel, channel.panning - y); break;
  case XmVolumeColumn::PanningSlideRight: setPanning(channel, channel.panning + y); break;
  case XmVolumeColumn::TonePortamento: tonePortamentoStep(channel); break;
  default: break;
  }
}

void effectLaterTick(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  switch (context.cell.effect) {
  case XmEffect::Arpeggio: arpeggio(context); break;
  case XmEffect::PortamentoUp:
    slidePeriod(channel, -4 * channel.portaSpeed);
    channel.period = maxOf(channel.period, 1);
    break;
  case XmEffect::PortamentoDown: slidePeriod(channel, 4 * channel.portaSpeed); break;
  case XmEffect::TonePortamento: tonePortamentoStep(channel); break;
  case XmEffect::Vibrato: vibratoStep(channel); break;
  case XmEffect::TonePortamentoVolumeSlide:
    tonePortamentoStep(channel);
    volumeSlide(channel);
    break;
  case XmEffect::VibratoVolumeSlide:
    vibratoStep(channel);
    volumeSlide(channel);
    break;
  case XmEffect::Tremolo: tremoloStep(channel); break;
  case XmEffect::VolumeSlide: volumeSlide(channel); break;
  case XmEffect::Extended: extendedLaterEffect(context); break;
  case XmEffect::GlobalVolumeSlide: globalVolumeSlide(); break;
  case XmEffect::PanningSlide: panningSlide(channel); break;
  case XmEffect::MultiRetrigger: retrigger(channel); break;
  case XmEffect::Tremor: tremorStep(channel); break;
  default: break;
  }
}

} // namespace

void startRowEffects() { jumpOnRow = false; }

void applyVolumeColumn(ReplayChannel &channel, uint8_t volumeByte) {
  const uint8_t y = low(volumeByte);
  if (volumeByte >= XmVolumeColumn::SetFirst && volumeByte <= XmVolumeColumn::SetLast) {
    channel.volume = volumeByte - XmVolumeColumn::SetFirst;
    return;
  }
  switch (high(volumeByte)) {
  case XmVolumeColumn::SlideDown:
  case XmVolumeColumn::FineSlideDown: changeVolume(channel, -y); break;
  case XmVolumeColumn::SlideUp:
  case XmVolumeColumn::FineSlideUp: changeVolume(channel, y); break;
  case XmVolumeColumn::VibratoSpeed: channel.vibratoSpeed = y; break;
  case XmVolumeColumn::Vibrato: channel.vibratoDepth = y; break;
  case XmVolumeColumn::SetPanning: setPanning(channel, y * 16); break;
  case XmVolumeColumn::PanningSlideLeft: setPanning(channel, channel.panning - y); break;
  case XmVolumeColumn::PanningSlideRight: setPanning(channel, channel.panning + y); break;
  case XmVolumeColumn::TonePortamento:
    if (y)
      channel.tonePortaSpeed = y * 16;
    channel.updateFlags &= ~UpdateTrigger;
    channel.portaTarget = channel.notePeriod;
    break;
  default: break;
  }
}

void runRowEffect(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  const uint8_t parameter = context.cell.parameter;
  const uint8_t x = high(parameter), y = low(parameter);
  switch (context.cell.effect) {
  case XmEffect::PortamentoUp:
  case XmEffect::PortamentoDown: remember(channel.portaSpeed, parameter); break;
  case XmEffect::TonePortamento:
    remember(channel.tonePortaSpeed, parameter);
    startTonePortamento(channel);
    break;
  case XmEffect::Vibrato:
    remember(channel.vibratoSpeed, x);
    remember(channel.vibratoDepth, y);
    vibratoStep(channel);
    break;
  case XmEffect::TonePortamentoVolumeSlide:
    remember(channel.volumeSlide, parameter);
    startTonePortamento(channel);
    break;
  case XmEffect::VibratoVolumeSlide:
    remember(channel.volumeSlide, parameter);
    vibratoStep(channel);
    break;
  case XmEffect::Tremolo:
    remember(channel.tremoloSpeed, x);
    remember(channel.tremoloDepth, y);
    break;
  case XmEffect::SetPanning: setPanning(channel, parameter); break;
  case XmEffect::SampleOffset:
    if (parameter)
      channel.sampleOffset = parameter * 256u;
    checkSampleOffset(channel, context.sample);
    break;
  case XmEffect::VolumeSlide: remember(channel.volumeSlide, parameter); break;
  case XmEffect::PositionJump: positionJump(parameter); break;
  case XmEffect::SetVolume: channel.volume = parameter; break;
  case XmEffect::PatternBreak: patternBreak(uint8_t(10 * x + y)); break;
  case XmEffect::Extended: extendedRowEffect(context); break;
  case XmEffect::SpeedOrTempo: setSpeedOrTempo(parameter); break;
  case XmEffect::SetGlobalVolume: song.globalVolume = minOf<int32_t>(parameter, 64); break;
  case XmEffect::GlobalVolumeSlide: remember(song.globalVolumeSlideMemory, parameter); break;
  case XmEffect::EnvelopePosition: setVolumeEnvelopePosition(channel, context.instrument, parameter); break;
  case XmEffect::PanningSlide:
    remember(channel.panSlide, parameter);
    if (parameter)
      channel.updateFlags |= UpdatePanning;
    break;
  case XmEffect::MultiRetrigger:
    if (parameter) {
      channel.retrigVolumeMode = x;
      channel.retrigInterval = y;
    }
    break;
  case XmEffect::Tremor:
    if (parameter) {
      channel.tremorOn = x;
      channel.tremorOff = y;
    }
    tremorStep(channel);
    break;
  case XmEffect::ExtraFinePortamento: extraFinePortamento(channel, parameter); break;
  default: break; // key-off was handled with the note; the rest are ignored
  }
}

void runLaterTickEffects(EffectContext &context) {
  volumeColumnLaterTick(context);
  effectLaterTick(context);
}
