#include "ItInstruments.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "ItSamples.h"
#include "XmFormat.h"

namespace {

constexpr size_t KeyboardOffset = 0x40;
constexpr size_t NewEnvelopeOffsets[3] = {0x130, 0x182, 0x1D4};
constexpr size_t OldEnvelopeNodesOffset = 0x1F8;
constexpr uint8_t OldNodesEnd = 0xFF;
constexpr uint8_t NoSample = 0xFF;
constexpr size_t XmEnvelopePoints = 12;
constexpr uint8_t FullVolume = 64;
constexpr uint8_t UsedBit = 0x80;

// Nodes whose ticks go back stay where the one before them is.
void KeepTicksInOrder(std::vector<ItEnvelopeNode> &nodes) {
  for (size_t i = 1; i < nodes.size(); ++i)
    nodes[i].tick = std::max(nodes[i].tick, nodes[i - 1].tick);
}

ItEnvelope ReadNewEnvelope(TByteReader in, bool isSigned) {
  ItEnvelope e;
  const uint8_t flags = in.U8();
  e.on = flags & 1, e.loop = flags & 2, e.sustainLoop = flags & 4, e.filter = flags & 0x80;
  e.carry = flags & 8;
  const size_t count = std::min<size_t>(in.U8(), ItEnvelopeNodes);
  e.loopStart = in.U8(), e.loopEnd = in.U8(), e.sustainStart = in.U8(), e.sustainEnd = in.U8();
  for (size_t i = 0; i < count; ++i) {
    const int8_t value = int8_t(in.U8());
    const uint16_t tick = in.U16();
    e.nodes.push_back(
        {isSigned ? int8_t(std::clamp<int>(value, -32, 32)) : int8_t(std::min<uint8_t>(uint8_t(value), 64)),
         tick});
  }
  KeepTicksInOrder(e.nodes);
  return e;
}

void ReadKeyboard(TByteReader in, ItInstrument &i) {
  in.Skip(KeyboardOffset);
  for (size_t n = 0; n < ItKeyboardNotes; ++n) {
    i.keyboardNote[n] = std::min<uint8_t>(in.U8(), ItKeyboardNotes - 1);
    i.keyboardSample[n] = in.U8();
  }
}

void ReadNewLayout(TByteReader in, ItInstrument &i) {
  TByteReader at = in;
  at.Skip(0x11);
  i.actions.newNote = ScreamNewNoteAction(std::min<uint8_t>(at.U8(), 3));
  i.actions.duplicateCheck = ScreamDuplicateCheck(std::min<uint8_t>(at.U8(), 3));
  // IT numbers the duplicate actions cut, off, fade: the new-note actions but continue.
  const uint8_t duplicateAction = std::min<uint8_t>(at.U8(), 2);
  i.actions.duplicateAction = ScreamNewNoteAction(duplicateAction ? duplicateAction + 1 : 0);
  i.fadeout = at.U16();
  i.pitchPanSeparation = int8_t(at.U8());
  at.U8(); // the pitch-pan centre
  i.globalVolume = std::min<uint8_t>(at.U8(), 128);
  const uint8_t panning = at.U8();
  i.usesPanning = !(panning & UsedBit);
  i.panning = std::min<uint8_t>(panning & 0x7F, 64);
  i.randomVolume = at.U8();
  i.randomPanning = at.U8();
  at.Skip(4 + 26);
  i.filterCutoff = at.U8();
  i.filterResonance = at.U8();
  TByteReader envelopes[3] = {in, in, in};
  for (int e = 0; e < 3; ++e)
    envelopes[e].Skip(NewEnvelopeOffsets[e]);
  i.volumeEnvelope = ReadNewEnvelope(envelopes[0], false);
  i.panningEnvelope = ReadNewEnvelope(envelopes[1], true);
  i.pitchEnvelope = ReadNewEnvelope(envelopes[2], true);
}

// Instruments saved before Impulse Tracker 2.00: a volume envelope only, fadeout
// counted out of 512, and a duplicate check that cuts notes of the same pitch.
void ReadOldLayout(TByteReader in, ItInstrument &i) {
  TByteReader at = in;
  at.Skip(0x11);
  ItEnvelope &e = i.volumeEnvelope;
  const uint8_t flags = at.U8();
  e.on = flags & 1, e.loop = flags & 2, e.sustainLoop = flags & 4;
  e.loopStart = at.U8(), e.loopEnd = at.U8(), e.sustainStart = at.U8(), e.sustainEnd = at.U8();
  at.Skip(2);
  i.fadeout = uint16_t(std::min<unsigned>(at.U16(), 0x7FFF) * 2);
  i.actions.newNote = ScreamNewNoteAction(std::min<uint8_t>(at.U8(), 3));
  if (at.U8())
    i.actions.duplicateCheck = ScreamDuplicateCheck::Note;
  TByteReader nodes = in;
  nodes.Skip(OldEnvelopeNodesOffset);
  for (size_t n = 0; n < ItEnvelopeNodes; ++n) {
    const uint8_t tick = nodes.U8(), value = nodes.U8();
    if (tick == OldNodesEnd)
      break;
    e.nodes.push_back({int8_t(std::min<uint8_t>(value, 64)), tick});
  }
  KeepTicksInOrder(e.nodes);
}

} // namespace

ItInstrument ReadItInstrument(TByteReader file, size_t offset, bool oldFormat, bool &cutShort) {
  ItInstrument i;
  file.Seek(offset);
  if (file.Remaining() < ItInstrumentBytes) {
    cutShort = true;
    return i;
  }
  const TByteReader in = file.Part(ItInstrumentBytes);
  TByteReader name = in;
  name.Skip(0x20);
  i.name = name.Bytes(26);
  if (oldFormat)
    ReadOldLayout(in, i);
  else
    ReadNewLayout(in, i);
  ReadKeyboard(in, i);
  return i;
}

namespace {

// The XM body of an instrument: keymap, envelopes, auto-vibrato, fadeout.
namespace Body {
constexpr size_t VolumeEnvelope = 96, PanningEnvelope = 144, VolumeCount = 192, PanningCount = 193;
constexpr size_t VolumeSustain = 194, PanningSustain = 197, VolumeType = 200, PanningType = 201;
constexpr size_t Vibrato = 202, Fadeout = 206;
} // namespace Body

struct XmEnvelope {
  std::vector<std::pair<uint16_t, uint8_t>> points; // tick, value 0..64
  uint8_t sustain = 0, loopStart = 0, loopEnd = 0, type = 0;
};

void PutEnvelope(std::string &body, const XmEnvelope &e, size_t pointsAt, size_t countAt, size_t sustainAt,
                 size_t typeAt) {
  for (size_t p = 0; p < e.points.size(); ++p) {
    body[pointsAt + 4 * p] = char(e.points[p].first & 0xFF);
    body[pointsAt + 4 * p + 1] = char(e.points[p].first >> 8);
    body[pointsAt + 4 * p + 2] = char(e.points[p].second);
  }
  body[countAt] = char(e.points.size());
  body[sustainAt] = char(e.sustain);
  body[sustainAt + 1] = char(e.loopStart);
  body[sustainAt + 2] = char(e.loopEnd);
  body[typeAt] = char(e.type);
}

// How far a point lies from the line between its neighbours, weighted by the time
// the line spans: what removing it changes.
double RemovalCost(const XmEnvelope &e, size_t p) {
  const auto &a = e.points[p - 1], &b = e.points[p], &c = e.points[p + 1];
  const double span = double(c.first - a.first);
  const double along = span > 0 ? double(b.first - a.first) / span : 0;
  const double line = a.second + (double(c.second) - a.second) * along;
  return std::fabs(line - b.second) * (span + 1);
}

// XM holds 12 points: the others go, those that change the shape least first, but
// never the first, the last, or one that a loop or the sustain names.
void ReduceTo12(XmEnvelope &e) {
  while (e.points.size() > XmEnvelopePoints) {
    size_t best = 0;
    double cost = 0;
    for (size_t p = 1; p + 1 < e.points.size(); ++p) {
      const bool named = (e.type & EnvelopeSustain && p == e.sustain) ||
                         (e.type & EnvelopeLoop && (p == e.loopStart || p == e.loopEnd));
      if (named)
        continue;
      const double c = RemovalCost(e, p);
      if (best == 0 || c < cost)
        best = p, cost = c;
    }
    if (best == 0)
      break;
    e.points.erase(e.points.begin() + long(best));
    for (uint8_t *index : {&e.sustain, &e.loopStart, &e.loopEnd})
      if (*index > best)
        --*index;
  }
  e.points.resize(std::min(e.points.size(), XmEnvelopePoints));
}

// An envelope as XM plays it. XM holds a sustain at one point: a sustain loop of
// several is held at its first.
XmEnvelope ToXm(const ItEnvelope &it, int offset, ItLosses &losses) {
  XmEnvelope e;
  if (!it.on || it.nodes.empty())
    return e;
  for (const ItEnvelopeNode &n : it.nodes)
    e.points.push_back({n.tick, uint8_t(n.value + offset)});
  if (e.points.size() == 1) // XM needs two
    e.points.push_back({uint16_t(e.points[0].first + 1), e.points[0].second});
  const uint8_t last = uint8_t(it.nodes.size() - 1);
  e.type = EnvelopeOn;
  if (it.loop && it.loopStart <= it.loopEnd && it.loopEnd <= last) {
    e.type |= EnvelopeLoop;
    e.loopStart = it.loopStart, e.loopEnd = it.loopEnd;
  }
  if (it.sustainLoop && it.sustainStart <= it.sustainEnd && it.sustainEnd <= last) {
    e.type |= EnvelopeSustain;
    e.sustain = it.sustainStart;
    if (it.sustainEnd != it.sustainStart)
      ++losses.heldSustainLoops;
  }
  return e;
}

// IT fades a note out once its volume envelope has ended, released or not; XM only
// after a key-off. The fade becomes the envelope's last stretch, a straight line as
// the fade is.
void AppendEndFade(XmEnvelope &e, uint16_t fadeout) {
  const auto lastPoint = e.points.back();
  if (fadeout == 0 || lastPoint.second == 0)
    return;
  const unsigned ticks = (1024 + fadeout - 1) / fadeout;
  if (e.points.size() == XmEnvelopePoints) // room for the fade's point
    e.points.erase(e.points.end() - 2);
  e.points.push_back({uint16_t(std::min<unsigned>(lastPoint.first + ticks, 0xFFFF)), 0});
}

// A flat envelope held at full volume, so that XM's key-off fades the note as IT
// does for an instrument without one, instead of cutting it.
XmEnvelope HeldFullVolume() {
  XmEnvelope e;
  e.points = {{0, FullVolume}, {1, FullVolume}};
  e.type = EnvelopeOn | EnvelopeSustain;
  return e;
}

// IT fades at a key-off where the envelope has no end to reach (none, or a loop);
// otherwise at the envelope's end, which the envelope itself then does.
struct VolumeRelease {
  XmEnvelope envelope;
  uint16_t xmFadeout = 0;
};

constexpr unsigned XmFadeoutPerIt = 32; // XM's fadeout is out of 32768, IT's out of 1024

VolumeRelease VolumeAndFadeout(const ItInstrument &i, bool fades, ItLosses &losses) {
  VolumeRelease r;
  const uint16_t xmFadeout = uint16_t(std::min<unsigned>(i.fadeout * XmFadeoutPerIt, 0x7FFF));
  r.envelope = ToXm(i.volumeEnvelope, 0, losses);
  if (!(r.envelope.type & EnvelopeOn)) {
    r.envelope = HeldFullVolume();
    r.xmFadeout = xmFadeout;
    return r;
  }
  if (r.envelope.type & EnvelopeLoop) {
    r.xmFadeout = xmFadeout;
  } else {
    AppendEndFade(r.envelope, i.fadeout);
    if (fades) // a note fade fades at once, as XM's key-off then does
      r.xmFadeout = xmFadeout;
  }
  if (r.envelope.points.size() > XmEnvelopePoints)
    ++losses.reducedEnvelopes;
  ReduceTo12(r.envelope);
  return r;
}

// IT's auto-vibrato waveforms in XM's numbering.
uint8_t XmVibratoType(uint8_t itType) {
  static const uint8_t types[4] = {0, 2, 1, 0}; // sine, ramp down, square, random (as sine)
  return types[itType & 3];
}

// IT's auto-vibrato depth is XM's; its rate is how much depth (in 256ths) each tick
// adds until the whole, where XM counts the ticks that takes. A rate of 0 never
// starts the vibrato.
void PutVibrato(std::string &body, const ItSample &s) {
  if (s.vibratoSweep == 0 || s.vibratoDepth == 0)
    return;
  body[Body::Vibrato] = char(XmVibratoType(s.vibratoType));
  const unsigned ticks = (s.vibratoDepth * 256u + s.vibratoSweep - 1) / s.vibratoSweep;
  body[Body::Vibrato + 1] = char(std::min(255u, ticks));
  body[Body::Vibrato + 2] = char(s.vibratoDepth);
  body[Body::Vibrato + 3] = char(s.vibratoSpeed);
}

bool SameVibrato(const ItSample &a, const ItSample &b) {
  return a.vibratoSpeed == b.vibratoSpeed && a.vibratoDepth == b.vibratoDepth &&
         a.vibratoSweep == b.vibratoSweep && a.vibratoType == b.vibratoType;
}

void PutFadeout(std::string &body, uint16_t fadeout) {
  body[Body::Fadeout] = char(fadeout & 0xFF);
  body[Body::Fadeout + 1] = char(fadeout >> 8);
}

// The octaves by which the notes move down so that they fit XM's 96, as far as
// the lowest allows; the notes that then fit nowhere are not played (the reader
// leaves them out and counts them).
int OctaveShift(const ItNotes &notes) {
  int lowest = -1, highest = -1;
  for (size_t n = 0; n < notes.size(); ++n)
    if (notes[n])
      highest = int(n), lowest = lowest < 0 ? int(n) : lowest;
  if (highest < int(XmKeymapNotes))
    return 0;
  return std::min((highest - int(XmKeymapNotes)) / 12 + 1, lowest / 12);
}

// One XM sample per sample and transposition the played keys need.
struct Variant {
  uint8_t sample; // 1-based
  int semitones;  // what the keyboard adds to the key
};

constexpr size_t MostVariantsPerSample = 4;

// Each sample the played keys name gets a slot before any takes a second
// transposition, so that an instrument of many samples loses pitches before sounds.
class TKeymapBuilder {
public:
  TKeymapBuilder(const ItInstrument &i, const std::vector<ItSample> &samples, const std::vector<size_t> &keys,
                 ItLosses &losses)
      : instrument(i), samples(samples), losses(losses) {
    for (size_t n : keys)
      if (const uint8_t s = Playable(n))
        waiting.insert(s);
  }

  // The slot that plays IT note `n`, NoSample for none.
  uint8_t SlotFor(size_t n) {
    const uint8_t s = Playable(n);
    if (s == 0)
      return NoSample;
    const int semitones = int(instrument.keyboardNote[n]) - int(n);
    const Variant wanted{s, semitones};
    for (size_t v = 0; v < variants.size(); ++v)
      if (variants[v].sample == s && variants[v].semitones == semitones)
        return uint8_t(v);
    const size_t ofSample = size_t(
        std::count_if(variants.begin(), variants.end(), [&](const Variant &v) { return v.sample == s; }));
    if (ofSample == 0 && variants.size() == XmMaxInstrumentSamples) {
      ++losses.samplesBeyondSixteen;
      return NoSample;
    }
    const size_t reserved = waiting.size() - waiting.count(s);
    if (ofSample == 0 || (variants.size() + reserved < XmMaxInstrumentSamples && ofSample < MostVariantsPerSample)) {
      waiting.erase(s);
      variants.push_back(wanted);
      return uint8_t(variants.size() - 1);
    }
    ++losses.keysOffPitch;
    return Nearest(wanted);
  }

  const std::vector<Variant> &Variants() const { return variants; }

private:
  // The sample key `n` plays, 0 for none or an empty one.
  uint8_t Playable(size_t n) const {
    const uint8_t s = instrument.keyboardSample[n];
    return s == 0 || s > samples.size() || samples[s - 1].frames.empty() ? 0 : s;
  }

  uint8_t Nearest(const Variant &wanted) const {
    size_t best = 0;
    for (size_t v = 0; v < variants.size(); ++v) {
      const auto distance = [&](const Variant &x) {
        return (x.sample == wanted.sample ? 0 : 1000) + std::abs(x.semitones - wanted.semitones);
      };
      if (distance(variants[v]) < distance(variants[best]))
        best = v;
    }
    return uint8_t(best);
  }

  const ItInstrument &instrument;
  const std::vector<ItSample> &samples;
  ItLosses &losses;
  std::vector<Variant> variants;
  std::set<uint8_t> waiting; // samples the keys name that have no slot yet
};

// Keys no note plays take the slot of the nearest key that one does.
void FillUnplayedKeys(std::string &body, const std::vector<bool> &played) {
  for (size_t key = 0; key < XmKeymapNotes; ++key) {
    if (played[key])
      continue;
    for (size_t distance = 1; distance < XmKeymapNotes; ++distance) {
      if (key >= distance && played[key - distance]) {
        body[key] = body[key - distance];
        break;
      }
      if (key + distance < XmKeymapNotes && played[key + distance]) {
        body[key] = body[key + distance];
        break;
      }
    }
  }
}

void CountUnkeptFeatures(const ItInstrument &i, ItLosses &losses) {
  if (i.pitchEnvelope.on && !i.pitchEnvelope.nodes.empty())
    ++(i.pitchEnvelope.filter ? losses.filterEnvelopes : losses.pitchEnvelopes);
  const bool cutoff = (i.filterCutoff & UsedBit) && (i.filterCutoff & 0x7F) < 0x7F;
  const bool resonance = (i.filterResonance & UsedBit) && (i.filterResonance & 0x7F) > 0;
  if (cutoff || resonance)
    ++losses.filters;
  if (i.randomVolume || i.randomPanning)
    ++losses.randomVariation;
  if (i.pitchPanSeparation)
    ++losses.pitchPanSeparation;
  for (const ItEnvelope *e : {&i.volumeEnvelope, &i.panningEnvelope, &i.pitchEnvelope})
    losses.carriedEnvelopes += e->on && e->carry;
}

std::string PaddedName(const std::string &name) {
  std::string out = name.substr(0, 22);
  out.resize(22, '\0');
  return out;
}

} // namespace

XmInstrumentMade MakeXmInstrument(const ItInstrument &instrument, const std::vector<ItSample> &samples,
                                  const ItInstrumentUse &use, double gain, ItLosses &losses) {
  XmInstrumentMade made;
  SongInstrument &out = made.instrument;
  out.name = PaddedName(instrument.name);
  CountUnkeptFeatures(instrument, losses);
  ItNotes notes = use.notes;
  if (notes.none())
    notes.set(60); // an instrument no note plays keeps what its C-5 plays
  made.octaveShift = OctaveShift(notes);
  std::vector<size_t> keys; // the IT notes played that XM's keymap holds
  for (size_t n = 0; n < ItKeyboardNotes; ++n) {
    const long key = long(n) - 12 * made.octaveShift;
    if (notes[n] && key >= 0 && key < long(XmKeymapNotes))
      keys.push_back(n);
  }
  TKeymapBuilder keymap(instrument, samples, keys, losses);
  std::vector<bool> played(XmKeymapNotes, false);
  for (size_t n : keys) {
    const size_t key = size_t(long(n) - 12 * made.octaveShift);
    out.extra[key] = char(keymap.SlotFor(n));
    played[key] = true;
  }
  FillUnplayedKeys(out.extra, played);
  const double instrumentGain = gain * instrument.globalVolume / 128.0;
  for (const Variant &v : keymap.Variants()) {
    const ItSample &s = samples[v.sample - 1];
    ItSamplePlacement placement;
    placement.semitones = v.semitones + 12 * made.octaveShift;
    placement.gain = instrumentGain * s.globalVolume / 64.0;
    if (instrument.usesPanning && !s.usesPanning)
      placement.panning = instrument.panning;
    placement.channelPanning = use.channelPanning;
    out.samples.push_back(MakeXmSample(s, placement));
  }
  // XM has one auto-vibrato an instrument: the first sample's.
  if (!keymap.Variants().empty()) {
    const ItSample &first = samples[keymap.Variants()[0].sample - 1];
    PutVibrato(out.extra, first);
    for (const Variant &v : keymap.Variants())
      if (!SameVibrato(samples[v.sample - 1], first))
        ++losses.vibratoDiffers;
  }
  const VolumeRelease release = VolumeAndFadeout(instrument, use.fades, losses);
  PutEnvelope(out.extra, release.envelope, Body::VolumeEnvelope, Body::VolumeCount, Body::VolumeSustain,
              Body::VolumeType);
  XmEnvelope panning = ToXm(instrument.panningEnvelope, 32, losses);
  if (panning.points.size() > XmEnvelopePoints)
    ++losses.reducedEnvelopes;
  ReduceTo12(panning);
  PutEnvelope(out.extra, panning, Body::PanningEnvelope, Body::PanningCount, Body::PanningSustain,
              Body::PanningType);
  PutFadeout(out.extra, release.xmFadeout);
  return made;
}

XmInstrumentMade MakeSampleInstrument(const std::vector<ItSample> &samples, uint8_t sample,
                                      const ItInstrumentUse &use, double gain, ItLosses &losses) {
  ItInstrument plain;
  plain.name = samples[sample - 1].name;
  for (size_t n = 0; n < ItKeyboardNotes; ++n)
    plain.keyboardNote[n] = uint8_t(n), plain.keyboardSample[n] = sample;
  // Without instruments, IT's note-off and fade leave the note as it is: a held
  // envelope without fadeout does the same in XM.
  return MakeXmInstrument(plain, samples, use, gain, losses);
}
