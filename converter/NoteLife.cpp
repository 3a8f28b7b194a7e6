#include "NoteLife.h"

#include <algorithm>
#include <cmath>

#include "XmFormat.h"

namespace {

// The XM instrument body: keymap, then the envelopes and their settings.
constexpr size_t VolumeEnvelopeAt = 96, VolumeCountAt = 192, VolumeSustainAt = 194, VolumeTypeAt = 200;
constexpr size_t FadeoutAt = 206;
// The sample header: length, loop start, loop length, volume, finetune, type,
// panning, relative note.
constexpr size_t FinetuneAt = 13, TypeAt = 14, RelativeNoteAt = 16;
constexpr uint8_t SixteenBitType = 16;
constexpr double MiddleC = 8363.0;

uint32_t Le32(const std::string &bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
         uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}
uint16_t Le16(const std::string &bytes, size_t at) {
  return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
}

const SongInstrument *InstrumentOf(const Song &song, uint8_t instrument) {
  if (instrument == 0 || instrument > song.instruments.size())
    return nullptr;
  const SongInstrument &i = song.instruments[instrument - 1];
  return i.samples.empty() ? nullptr : &i;
}

struct VolumeEnvelope {
  bool on = false, sustain = false, loop = false;
  uint16_t sustainTick = 0, lastTick = 0;
  bool endsSilent = false;
};

VolumeEnvelope EnvelopeOf(const SongInstrument &i) {
  VolumeEnvelope e;
  const uint8_t type = uint8_t(i.extra[VolumeTypeAt]);
  const size_t points = std::min<size_t>(uint8_t(i.extra[VolumeCountAt]), 12);
  e.on = (type & EnvelopeOn) && points >= 2;
  if (!e.on)
    return e;
  e.sustain = type & EnvelopeSustain;
  e.loop = type & EnvelopeLoop;
  const size_t sustain = std::min<size_t>(uint8_t(i.extra[VolumeSustainAt]), points - 1);
  e.sustainTick = Le16(i.extra, VolumeEnvelopeAt + 4 * sustain);
  e.lastTick = Le16(i.extra, VolumeEnvelopeAt + 4 * (points - 1));
  e.endsSilent = Le16(i.extra, VolumeEnvelopeAt + 4 * (points - 1) + 2) == 0;
  return e;
}

// Seconds the sample a note plays lasts; forever for a looped one.
double SampleSeconds(const SongInstrument &i, uint8_t note) {
  const uint8_t slot = uint8_t(i.extra[std::clamp<int>(note - 1, 0, XmKeymapNotes - 1)]);
  if (slot >= i.samples.size())
    return 0;
  const std::string &h = i.samples[slot].header;
  const uint8_t type = uint8_t(h[TypeAt]);
  if ((type & 3) != NoLoop && Le32(h, 8) > 0)
    return Forever;
  const double frames = double(Le32(h, 0)) / ((type & SixteenBitType) ? 2 : 1);
  const double semitones = note - 1 + int8_t(h[RelativeNoteAt]) + int8_t(h[FinetuneAt]) / 128.0 - 48;
  return frames / (MiddleC * std::exp2(semitones / 12));
}

} // namespace

double HeldTicks(const Song &song, uint8_t instrument, uint8_t note, double ticksPerSecond) {
  const SongInstrument *i = InstrumentOf(song, instrument);
  if (!i)
    return 0;
  double ticks = SampleSeconds(*i, note) * ticksPerSecond;
  const VolumeEnvelope e = EnvelopeOf(*i);
  if (e.on && e.endsSilent && !e.sustain && !e.loop)
    ticks = std::min(ticks, double(e.lastTick));
  return ticks;
}

bool HasShapingEnvelope(const Song &song, uint8_t instrument) {
  const SongInstrument *i = InstrumentOf(song, instrument);
  if (!i || !EnvelopeOf(*i).on)
    return false;
  const size_t points = std::min<size_t>(uint8_t(i->extra[VolumeCountAt]), 12);
  for (size_t p = 1; p < points; ++p)
    if (Le16(i->extra, VolumeEnvelopeAt + 4 * p + 2) != Le16(i->extra, VolumeEnvelopeAt + 2))
      return true;
  return false;
}

double ReleasedTicks(const Song &song, uint8_t instrument, double playedTicks) {
  const SongInstrument *i = InstrumentOf(song, instrument);
  if (!i)
    return 0;
  const VolumeEnvelope e = EnvelopeOf(*i);
  if (!e.on) // a key-off silences a note without an envelope
    return 0;
  double ticks = Forever;
  const uint16_t fadeout = Le16(i->extra, FadeoutAt);
  if (fadeout)
    ticks = std::ceil(32768.0 / fadeout);
  if (e.endsSilent && !e.loop) {
    const double at = e.sustain ? std::min<double>(playedTicks, e.sustainTick) : playedTicks;
    ticks = std::min(ticks, std::max(0.0, e.lastTick - at));
  }
  return ticks;
}
