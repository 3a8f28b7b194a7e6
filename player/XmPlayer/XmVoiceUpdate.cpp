#include "XmVoiceUpdate.h"

#include <cstdlib>

#include "Limits.h"
#include "XmPeriods.h"
#include "XmState.h"

// The end of every channel's tick: automatic vibrato, then what the mixer's voice
// needs (a new note or a rewind, gains, panning and the resampling step).

namespace {

// 64 x sin(pi x i / 128), a quarter period of the automatic vibrato.
const uint8_t autoVibratoTable[65] = {0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 16, 17, 19, 20, 22, 23, 24,
                                      26, 27, 29, 30, 32, 33, 34, 36, 37, 38, 39, 41, 42, 43, 44, 45, 46,
                                      47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 56, 57, 58, 59, 59, 60, 60,
                                      61, 61, 62, 62, 62, 63, 63, 63, 64, 64, 64, 64, 64, 64};

int32_t autoVibratoWave(uint8_t type, int32_t position) {
  switch (type) {
  case 0: {
    int32_t index = position % 128;
    if (index > 64)
      index = 128 - index;
    return position >= 128 ? -autoVibratoTable[index] : autoVibratoTable[index];
  }
  case 1: return position < 128 ? 64 : -64;
  case 2: return (128 - (position + 128) % 256) >> 1;
  default: return (128 - (128 - position + 256) % 256) >> 1;
  }
}

void applyAutoVibrato(ReplayChannel &channel, const XmInstrument &instrument) {
  const int32_t sweep = instrument.vibratoSweep;
  int32_t amount = autoVibratoWave(instrument.vibratoType, channel.autoVibratoPos) * instrument.vibratoDepth;
  if (sweep != 0)
    amount = amount * channel.autoVibratoSweep / sweep;
  channel.periodDelta += amount >> 6;
  if (channel.autoVibratoSweep < sweep)
    channel.autoVibratoSweep += 1;
  channel.autoVibratoPos = (channel.autoVibratoPos + instrument.vibratoRate) % 256;
  channel.updateFlags |= UpdatePitch;
}

MixVoice &pairedVoice(const MixVoice *voice) { return song.voices[(voice - song.voices) ^ 1]; }

// The sound still playing moves to the other voice of the pair and fades out there,
// while the channel starts its new note on the voice it leaves.
void handOverVoice(ReplayChannel &channel) {
  MixVoice &current = *channel.voice;
  MixVoice &other = pairedVoice(channel.voice);
  // Everything the new note does not set again goes over, so the new voice keeps
  // the channel's panning and step.
  other = current;
  channel.voice = &other;
  current.finalVolume = 0;
  current.targetRight = 0;
  current.targetLeft = 0;
}

void triggerNote(ReplayChannel &channel, const XmSample &sample) {
  if (channel.voice->sample)
    handOverVoice(channel);
  MixVoice &voice = *channel.voice;
  voice.sample = &sample;
  voice.fraction = 0;
  voice.currentRight = 0;
  voice.currentLeft = 0;
  voice.rampRemaining = 0;
  voice.backward = 0;
  voice.position = channel.startOffset;
  channel.startOffset = 0;
}

void rewind(MixVoice &voice) {
  voice.position = 0;
  voice.fraction = 0;
}

// The final volume stays within +-512 and the panning within 0..255, so the products
// fit in 32 bits.
void setTargets(MixVoice &voice) {
  voice.targetRight = voice.finalVolume * voice.finalPanning / 255;
  voice.targetLeft = voice.finalVolume * (255 - voice.finalPanning) / 255;
}

void sendVolume(const ReplayChannel &channel, MixVoice &voice) {
  // A tremolo swings the volume within 0..64, never past full or below silence.
  const int32_t volume = clampTo<int32_t>(channel.volume + channel.volumeDelta, 0, 64);
  const int64_t level = int64_t(volume) * channel.volEnvValue * song.globalVolume * 255;
  voice.finalVolume = int32_t((level * channel.fadeoutVolume) >> 35);
}

void sendPanning(const ReplayChannel &channel, MixVoice &voice) {
  const int32_t room = (128 - std::abs(channel.panning - 128)) >> 5;
  const int32_t panning = channel.panning + (channel.panEnvValue - 32) * room;
  voice.finalPanning = clampTo(panning, 0, 255);
}

} // namespace

// The fraction is (remainder x 2^32 + whole) / OutputRate, divided 16 bits at a time:
// every partial dividend stays below OutputRate x 2^16 < 2^32, so the 32-bit intro
// needs no 64-bit division.
void setVoiceStep(MixVoice &voice, uint32_t frequency) {
  const uint32_t whole = frequency / OutputRate;
  const uint32_t high = (frequency % OutputRate) << 16 | whole >> 16;
  const uint32_t low = (high % OutputRate) << 16 | (whole & 0xFFFF);
  voice.stepInteger = whole;
  voice.stepFraction = (high / OutputRate) << 16 | low / OutputRate;
}

void updateVoice(ReplayChannel &channel, const XmSample &sample, const XmInstrument &instrument) {
  applyAutoVibrato(channel, instrument);
  if (channel.updateFlags & UpdateRewind)
    rewind(*channel.voice);
  if (channel.updateFlags & UpdateTrigger)
    triggerNote(channel, sample);
  channel.volume = clampTo(channel.volume, 0, 64);
  MixVoice &voice = *channel.voice;
  if (channel.updateFlags & UpdateVolume)
    sendVolume(channel, voice);
  if (channel.updateFlags & UpdatePanning)
    sendPanning(channel, voice);
  if (channel.updateFlags & (UpdateVolume | UpdatePanning))
    setTargets(voice);
  setVoiceStep(voice, periodFrequency(channel.period, channel.periodDelta));
}
