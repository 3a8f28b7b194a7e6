#include "ScreamEffects.h"

#include <algorithm>

#include "ItEffects.h"
#include "XmFormat.h"

namespace {

constexpr uint8_t MaxVolume = 64;
constexpr uint8_t SlowestXmSpeed = 0x1F;
constexpr uint8_t FirstTempo = 0x20;
constexpr uint8_t LastPanning = 0x80, SurroundPanning = 0xA4;

struct MappedCommand {
  uint8_t effect = 0, parameter = 0;
  ScreamLoss loss = ScreamLoss::None;
  uint8_t volume = 0; // a volume-column command the effect needs beside it, 0 for none
};

constexpr MappedCommand Nothing{};

MappedCommand Effect(uint8_t effect, uint8_t parameter) { return {effect, parameter, ScreamLoss::None, 0}; }
MappedCommand Extended(uint8_t sub, uint8_t value) {
  return Effect(XmEffect::Extended, uint8_t(sub << 4 | (value & 0x0F)));
}
MappedCommand Lost(ScreamLoss loss) { return {0, 0, loss, 0}; }

// A volume slide parameter as Scream Tracker reads it: DxF slides up by x on the
// row's first tick, DFy down by y; otherwise D0y slides down, Dx0 up, every later
// tick, and where both digits are set the downward one wins.
struct VolumeSlide {
  enum Kind { None, Up, Down, FineUp, FineDown } kind = None;
  uint8_t amount = 0;
};

VolumeSlide VolumeSlideOf(uint8_t parameter) {
  const uint8_t x = parameter >> 4, y = parameter & 0x0F;
  if (y == 0x0F && x)
    return {VolumeSlide::FineUp, x};
  if (x == 0x0F && y)
    return {VolumeSlide::FineDown, y};
  if (y)
    return {VolumeSlide::Down, y};
  return x ? VolumeSlide{VolumeSlide::Up, x} : VolumeSlide{};
}

uint8_t SlideParameter(const VolumeSlide &slide) {
  return slide.kind == VolumeSlide::Up ? uint8_t(slide.amount << 4) : slide.amount;
}

// The row's first tick of a slide, as the volume column's fine slide.
uint8_t FirstTickSlide(const VolumeSlide &slide) {
  const bool up = slide.kind == VolumeSlide::Up || slide.kind == VolumeSlide::FineUp;
  return uint8_t((up ? XmVolumeColumn::FineSlideUp : XmVolumeColumn::FineSlideDown) << 4 | slide.amount);
}

MappedCommand VolumeSlideCommand(uint8_t parameter, const ScreamSemantics &semantics) {
  const VolumeSlide slide = VolumeSlideOf(parameter);
  switch (slide.kind) {
  case VolumeSlide::None: return Nothing;
  case VolumeSlide::FineUp: return Extended(XmExtended::FineVolumeUp, slide.amount);
  case VolumeSlide::FineDown: return Extended(XmExtended::FineVolumeDown, slide.amount);
  case VolumeSlide::Up:
  case VolumeSlide::Down: break;
  }
  MappedCommand mapped = Effect(XmEffect::VolumeSlide, SlideParameter(slide));
  if (semantics.flags.fastVolumeSlides)
    mapped.volume = FirstTickSlide(slide);
  return mapped;
}

// Kxy and Lxy: vibrato or tone portamento with a volume slide, which never slides
// on the first tick; a fine slide happens there alone, beside the other effect.
MappedCommand CombinedSlide(uint8_t effect, uint8_t alone, uint8_t parameter) {
  const VolumeSlide slide = VolumeSlideOf(parameter);
  switch (slide.kind) {
  case VolumeSlide::None: return Effect(alone, 0);
  case VolumeSlide::FineUp:
  case VolumeSlide::FineDown: return {alone, 0, ScreamLoss::None, FirstTickSlide(slide)};
  case VolumeSlide::Up:
  case VolumeSlide::Down: break;
  }
  return Effect(effect, SlideParameter(slide));
}

// Exx and Fxx: EFx and FFx are fine slides (x on the first tick), EEx and FEx extra
// fine ones (a quarter of that).
MappedCommand PortamentoCommand(uint8_t parameter, bool up) {
  const uint8_t value = parameter & 0x0F;
  if (parameter >= 0xF0)
    return value ? Extended(up ? XmExtended::FinePortamentoUp : XmExtended::FinePortamentoDown, value)
                 : Nothing;
  if (parameter >= 0xE0)
    return value ? Effect(XmEffect::ExtraFinePortamento,
                          uint8_t((up ? XmExtraFine::Up : XmExtraFine::Down) << 4 | value))
                 : Nothing;
  return parameter ? Effect(up ? XmEffect::PortamentoUp : XmEffect::PortamentoDown, parameter) : Nothing;
}

// Scream Tracker's panning steps 0..15 over XM's 0..255.
uint8_t PanningStep(uint8_t step) { return uint8_t(step * 17); }

MappedCommand SpecialCommand(uint8_t parameter, const ScreamSemantics &semantics) {
  const uint8_t sub = parameter >> 4, value = parameter & 0x0F;
  switch (sub) {
  case 0x1: return Lost(ScreamLoss::Glissando);
  case 0x2: return Lost(ScreamLoss::Finetune);
  case 0x3:
    return (value & 3) == 3 ? Lost(ScreamLoss::RandomWave) : Extended(XmExtended::VibratoWaveform, value);
  case 0x4:
    return (value & 3) == 3 ? Lost(ScreamLoss::RandomWave) : Extended(XmExtended::TremoloWaveform, value);
  case 0x6: return Lost(ScreamLoss::FinePatternDelay);
  case 0x8: return semantics.flags.mono ? Nothing : Effect(XmEffect::SetPanning, PanningStep(value));
  case 0xA: return Lost(ScreamLoss::StereoControl);
  case 0xB: return Extended(XmExtended::PatternLoop, value);
  case 0xC: return value ? Extended(XmExtended::NoteCut, value) : Nothing;
  case 0xD: return value ? Extended(XmExtended::NoteDelay, value) : Nothing;
  case 0xE: return Extended(XmExtended::PatternDelay, value);
  case 0xF: return Lost(ScreamLoss::FunkRepeat);
  default: return Nothing; // S0x (the filter) and the numbers no tracker of the format uses
  }
}

// Xxx: panning from 00 (left) to 80 (right), A4 surround.
MappedCommand PanningCommand(uint8_t parameter, const ScreamSemantics &semantics) {
  if (semantics.flags.mono)
    return Nothing;
  if (parameter <= LastPanning)
    return Effect(XmEffect::SetPanning, uint8_t(std::min(255, parameter * 2)));
  return parameter == SurroundPanning ? Lost(ScreamLoss::Surround) : Nothing;
}

// Scream Tracker's Hxy is as deep as XM's 4xy; Uxy, the fine vibrato, a quarter.
MappedCommand Vibrato(uint8_t parameter, unsigned eighths) {
  return Effect(XmEffect::Vibrato, uint8_t((parameter & 0xF0) | XmVibratoDepth(parameter & 0x0F, eighths)));
}

// Scream Tracker's tremolo is half as deep as XM's for the same depth.
MappedCommand Tremolo(uint8_t parameter) {
  const uint8_t depth = parameter & 0x0F;
  MappedCommand mapped = Effect(XmEffect::Tremolo, uint8_t((parameter & 0xF0) | (depth + 1) / 2));
  if (depth % 2)
    mapped.loss = ScreamLoss::OddTremolo;
  return mapped;
}

uint8_t BreakParameter(uint8_t row) { return row < 160 ? uint8_t((row / 10) << 4 | row % 10) : 0; }

MappedCommand MapCommand(uint8_t command, uint8_t parameter, const ScreamSemantics &semantics) {
  if (semantics.tracker == ScreamTracker::ImpulseTracker)
    if (const std::optional<ItMappedCommand> it = MapItCommand(command, parameter, semantics.flags))
      return {it->effect, it->parameter, it->loss, 0};
  switch (command) {
  case ScreamCommand('A'): // speeds above 31 are XM's by now (ScreamSpeeds.h)
    return parameter ? Effect(XmEffect::SpeedOrTempo, std::min(parameter, SlowestXmSpeed)) : Nothing;
  case ScreamCommand('B'): return Effect(XmEffect::PositionJump, parameter);
  case ScreamCommand('C'): return Effect(XmEffect::PatternBreak, BreakParameter(parameter));
  case ScreamCommand('D'): return VolumeSlideCommand(parameter, semantics);
  case ScreamCommand('E'): return PortamentoCommand(parameter, false);
  case ScreamCommand('F'): return PortamentoCommand(parameter, true);
  case ScreamCommand('G'): return Effect(XmEffect::TonePortamento, parameter);
  case ScreamCommand('H'): return Vibrato(parameter, 8);
  case ScreamCommand('I'): return Effect(XmEffect::Tremor, parameter);
  case ScreamCommand('J'): return parameter ? Effect(XmEffect::Arpeggio, parameter) : Nothing;
  case ScreamCommand('K'): return CombinedSlide(XmEffect::VibratoVolumeSlide, XmEffect::Vibrato, parameter);
  case ScreamCommand('L'):
    return CombinedSlide(XmEffect::TonePortamentoVolumeSlide, XmEffect::TonePortamento, parameter);
  case ScreamCommand('O'): return Effect(XmEffect::SampleOffset, parameter);
  case ScreamCommand('Q'): return Effect(XmEffect::MultiRetrigger, parameter);
  case ScreamCommand('R'): return Tremolo(parameter);
  case ScreamCommand('S'): return SpecialCommand(parameter, semantics);
  case ScreamCommand('T'):
    return parameter >= FirstTempo ? Effect(XmEffect::SpeedOrTempo, parameter) : Nothing;
  case ScreamCommand('U'): return Vibrato(parameter, 2);
  case ScreamCommand('V'): return Effect(XmEffect::SetGlobalVolume, std::min(parameter, MaxVolume));
  case ScreamCommand('W'): return Effect(XmEffect::GlobalVolumeSlide, parameter);
  case ScreamCommand('X'): return PanningCommand(parameter, semantics);
  case ScreamCommand('Y'): return Lost(ScreamLoss::Panbrello);
  case ScreamCommand('Z'): return Lost(ScreamLoss::Macro);
  default: return Nothing;
  }
}

uint8_t MapNote(uint8_t note, ScreamLosses &losses) {
  if (note == ScreamNoNote)
    return 0;
  if (note == ScreamNoteCut || note == ScreamNoteOff || note == ScreamNoteFade)
    return KeyOffNote;
  if (note <= LastNote)
    return note;
  losses.Add(ScreamLoss::NoteRange);
  return 0;
}

uint8_t VolumeColumn(uint8_t volume) {
  return volume == ScreamNoVolume ? 0 : uint8_t(XmVolumeColumn::SetFirst + std::min(volume, MaxVolume));
}

// A volume the cell sets, with the first tick's slide that goes with it.
uint8_t SlidVolume(uint8_t volumeColumn, uint8_t slide) {
  const int amount = slide & 0x0F;
  const int up = slide >> 4 == XmVolumeColumn::FineSlideUp ? amount : -amount;
  return uint8_t(XmVolumeColumn::SetFirst + std::clamp(volumeColumn - XmVolumeColumn::SetFirst + up, 0, 64));
}

} // namespace

uint8_t XmVibratoDepth(unsigned depth, unsigned eighths) {
  return uint8_t(depth ? std::max(1u, (depth * eighths + 4) / 8) : 0);
}

SongCell MapScreamCell(const ScreamCell &cell, const ScreamSemantics &semantics, ScreamLosses &losses) {
  SongCell out;
  out.note = MapNote(cell.note, losses);
  out.instrument = cell.instrument;
  const bool impulse = semantics.tracker == ScreamTracker::ImpulseTracker;
  out.volume = impulse ? 0 : VolumeColumn(cell.volume);
  const MappedCommand mapped = MapCommand(cell.command, cell.parameter, semantics);
  out.effect = mapped.effect;
  out.parameter = mapped.parameter;
  if (mapped.loss != ScreamLoss::None)
    losses.Add(mapped.loss);
  if (mapped.volume && out.volume == 0)
    out.volume = mapped.volume;
  else if (mapped.volume)
    out.volume = SlidVolume(out.volume, mapped.volume);
  if (impulse)
    MapItNoteAndVolume(cell, semantics.flags, out, losses);
  return out;
}
