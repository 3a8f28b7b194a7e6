#include "XmReplay.h"

// The effect column and the volume column: what each command does on the row tick
// and on the later ticks of its row.

namespace {

// 127 x sin(pi x i / 32): half a period of the vibrato and tremolo sine.
const uint8_t waveformTable[32] = {0,   12,  25,  37,  49,  60,  71,  81,  90,  98,  106,
                                   112, 117, 122, 125, 126, 127, 126, 125, 122, 117, 112,
                                   106, 98,  90,  81,  71,  60,  49,  37,  25,  12};

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
int32_t within(int32_t value, int32_t bound) { return value < -bound ? -bound : value > bound ? bound : value; }

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
  // Ramp: a straight fall from 127 to -127 across the period.
  case 1: return 127 - 254 * position / 63;
  default: return position < 32 ? 127 : -127;
  }
}

int32_t waveformValue(uint8_t &position, uint8_t speed, uint8_t depth, uint8_t waveform) {
  const int32_t value = waveformAt(position & 63, waveform);
  position = (position + speed) & 63;
  return (value * depth) >> 5;
}

void vibratoStep(ReplayChannel &channel) {
  const uint8_t waveform = channel.waveControl & 3;
  const int32_t value =
      waveformValue(channel.vibratoPos, channel.vibratoSpeed, channel.vibratoDepth, waveform);
  channel.periodDelta = value >> 1; // vibrato runs at half the tremolo's scale
  channel.updateFlags |= UpdatePitch;
}

void tremoloStep(ReplayChannel &channel) {
  channel.volumeDelta = waveformValue(channel.tremoloPos, channel.tremoloSpeed, channel.tremoloDepth,
                                      (channel.waveControl >> 4) & 3);
  channel.updateFlags |= UpdateVolume;
}

void tonePortamentoStep(ReplayChannel &channel) {
  const int32_t speed = 4 * channel.tonePortaSpeed;
  if (channel.period > channel.portaTarget) {
    channel.period -= speed;
    if (channel.period < channel.portaTarget)
      channel.period = channel.portaTarget;
  } else {
    channel.period += speed;
    if (channel.period > channel.portaTarget)
      channel.period = channel.portaTarget;
  }
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
  MixVoice &voice = *channel.voice;
  if (channel.sampleOffset < sample.loopStart + sample.loopLength) {
    voice.startOffset = channel.sampleOffset;
    return;
  }
  // Past the end: the new note does not start and the old sound restarts its sample.
  channel.updateFlags &= ~UpdateTrigger;
  voice.position = 0;
  voice.fraction = 0;
  voice.startOffset = 0;
}

void setPanning(ReplayChannel &channel, int32_t panning) {
  channel.panning = within(panning, PanningBound);
  channel.updateFlags |= UpdatePanning;
}

void extraFinePortamento(ReplayChannel &channel, uint8_t parameter) {
  if (high(parameter) == 1) {
    remember(channel.extraFinePortaUp, low(parameter));
    movePeriod(channel, -channel.extraFinePortaUp);
  } else if (high(parameter) == 2) {
    remember(channel.extraFinePortaDown, low(parameter));
    movePeriod(channel, channel.extraFinePortaDown);
  }
}

void fineVolumeSlide(ReplayChannel &channel, int8_t amount) {
  if (amount)
    channel.fineVolumeSlide = amount;
  channel.volume -= channel.fineVolumeSlide;
}

void extendedRowEffect(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  const uint8_t y = low(context.cell.parameter);
  switch (high(context.cell.parameter)) {
  case 0x1:
    remember(channel.finePortaUp, y);
    movePeriod(channel, -4 * channel.finePortaUp);
    break;
  case 0x2:
    remember(channel.finePortaDown, y);
    movePeriod(channel, 4 * channel.finePortaDown);
    break;
  case 0x4: channel.waveControl = (channel.waveControl & 0xF0) | y; break;
  case 0x5:
    if (&context.sample != &silentSample)
      context.sample.finetune = int8_t(y);
    break;
  case 0x6: patternLoop(channel, y); break;
  case 0x7: channel.waveControl = (channel.waveControl & 0x0F) | (y << 4); break;
  case 0x8: setPanning(channel, y * 16); break;
  case 0xA: fineVolumeSlide(channel, int8_t(-y)); break;
  case 0xB: fineVolumeSlide(channel, int8_t(y)); break;
  case 0xD:
    channel.period = context.savedPeriod;
    channel.volume = context.savedVolume;
    channel.panning = context.savedPanning;
    channel.updateFlags = 0;
    break;
  case 0xE: patternDelay(y); break;
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
  case 0x9:
    if (y && song.tick % y == 0)
      channel.updateFlags |= UpdateTrigger | UpdateVolume | UpdatePitch;
    break;
  case 0xC:
    if (song.tick == y) {
      channel.volume = 0;
      channel.updateFlags |= UpdateVolume;
    }
    break;
  case 0xD:
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

void globalVolumeSlide() {
  const uint8_t memory = song.globalVolumeSlideMemory;
  if (high(memory)) {
    song.globalVolume += high(memory);
    if (song.globalVolume > 64)
      song.globalVolume = 64;
  } else {
    song.globalVolume -= low(memory);
    if (song.globalVolume < 0)
      song.globalVolume = 0;
  }
}

void panningSlide(ReplayChannel &channel) {
  if (high(channel.panSlide)) {
    channel.panning += high(channel.panSlide);
    if (channel.panning > 255)
      channel.panning = 255;
  } else {
    channel.panning -= low(channel.panSlide);
    if (channel.panning < 0)
      channel.panning = 0;
  }
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
  case 0x6: changeVolume(channel, -y); break;
  case 0x7: changeVolume(channel, y); break;
  case 0xB:
    channel.vibratoDepth = y;
    vibratoStep(channel);
    break;
  case 0xD: setPanning(channel, channel.panning - y); break;
  case 0xE: setPanning(channel, channel.panning + y); break;
  case 0xF: tonePortamentoStep(channel); break;
  default: break;
  }
}

void runLaterEffect(EffectContext &context) {
  ReplayChannel &channel = context.channel;
  switch (context.cell.effect) {
  case 0x0: arpeggio(context); break;
  case 0x1:
    slidePeriod(channel, -4 * channel.portaSpeed);
    if (channel.period < 1)
      channel.period = 1;
    break;
  case 0x2: slidePeriod(channel, 4 * channel.portaSpeed); break;
  case 0x3: tonePortamentoStep(channel); break;
  case 0x4: vibratoStep(channel); break;
  case 0x5:
    tonePortamentoStep(channel);
    volumeSlide(channel);
    break;
  case 0x6:
    vibratoStep(channel);
    volumeSlide(channel);
    break;
  case 0x7: tremoloStep(channel); break;
  case 0xA: volumeSlide(channel); break;
  case 0xE: extendedLaterEffect(context); break;
  case 17: globalVolumeSlide(); break;
  case 25: panningSlide(channel); break;
  case 27: retrigger(channel); break;
  case 29: tremorStep(channel); break;
  default: break;
  }
}

} // namespace

void applyVolumeColumn(ReplayChannel &channel, uint8_t volumeByte) {
  const uint8_t y = low(volumeByte);
  if (volumeByte >= 0x10 && volumeByte <= 0x50) {
    channel.volume = volumeByte - 0x10;
    return;
  }
  switch (high(volumeByte)) {
  case 0x6:
  case 0x8: changeVolume(channel, -y); break;
  case 0x7:
  case 0x9: changeVolume(channel, y); break;
  case 0xA: channel.vibratoSpeed = y; break;
  case 0xB: channel.vibratoDepth = y; break;
  case 0xC: setPanning(channel, y * 16); break;
  case 0xD: setPanning(channel, channel.panning - y); break;
  case 0xE: setPanning(channel, channel.panning + y); break;
  case 0xF:
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
  case 0x1:
  case 0x2: remember(channel.portaSpeed, parameter); break;
  case 0x3:
    remember(channel.tonePortaSpeed, parameter);
    startTonePortamento(channel);
    break;
  case 0x4:
    remember(channel.vibratoSpeed, x);
    remember(channel.vibratoDepth, y);
    vibratoStep(channel);
    break;
  case 0x5:
    remember(channel.volumeSlide, parameter);
    startTonePortamento(channel);
    break;
  case 0x6:
    remember(channel.volumeSlide, parameter);
    vibratoStep(channel);
    break;
  case 0x7:
    remember(channel.tremoloSpeed, x);
    remember(channel.tremoloDepth, y);
    break;
  case 0x8: setPanning(channel, parameter); break;
  case 0x9:
    if (parameter)
      channel.sampleOffset = parameter * 256u;
    checkSampleOffset(channel, context.sample);
    break;
  case 0xA: remember(channel.volumeSlide, parameter); break;
  case 0xB: positionJump(parameter); break;
  case 0xC: channel.volume = parameter; break;
  case 0xD: patternBreak(uint8_t(10 * x + y)); break;
  case 0xE: extendedRowEffect(context); break;
  case 0xF: setSpeedOrTempo(parameter); break;
  case 16: song.globalVolume = parameter < 64 ? parameter : 64; break;
  case 17: remember(song.globalVolumeSlideMemory, parameter); break;
  case 21: setVolumeEnvelopePosition(channel, context.instrument, parameter); break;
  case 25:
    remember(channel.panSlide, parameter);
    if (parameter)
      channel.updateFlags |= UpdatePanning;
    break;
  case 27:
    if (parameter) {
      channel.retrigVolumeMode = x;
      channel.retrigInterval = y;
    }
    break;
  case 29:
    if (parameter) {
      channel.tremorOn = x;
      channel.tremorOff = y;
    }
    tremorStep(channel);
    break;
  case 33: extraFinePortamento(channel, parameter); break;
  default: break; // 20 (key-off) was handled with the note; the rest are ignored
  }
}

void processTick() {
  const XmCell *cells = currentRowCells();
  for (int32_t index = 0; index < song.channelCount; ++index) {
    ReplayChannel &channel = song.channels[index];
    const XmInstrument &instrument = channelInstrument(channel);
    XmSample &sample = channelSample(channel, instrument);
    EffectContext context{channel, cells[index], instrument, sample, 0, 0, 0};
    channel.volumeDelta = 0;
    channel.periodDelta = 0;
    channel.updateFlags = 0;
    stepEnvelopesAndFadeout(channel, instrument);
    volumeColumnLaterTick(context);
    runLaterEffect(context);
    updateVoice(channel, sample, instrument);
  }
}
