#include "ModEffects.h"

#include "XmFormat.h"

namespace {

constexpr uint8_t FirstLaterCommand = 0xB; // B-F came with the trackers after the first

constexpr MappedEffect Nothing{};

// Ultimate Soundtracker knows two commands: 1xy arpeggio, and 2xy, which bends the
// pitch up by y or, without y, down by x every tick.
MappedEffect UltimateSoundtrackerEffect(uint8_t effect, uint8_t parameter) {
  const uint8_t up = parameter & 0x0F, down = parameter >> 4;
  switch (effect) {
  case XmEffect::Arpeggio:
  case 0x1: return parameter ? MappedEffect{XmEffect::Arpeggio, parameter} : Nothing;
  case 0x2:
    if (up)
      return {XmEffect::PortamentoUp, up};
    return down ? MappedEffect{XmEffect::PortamentoDown, down} : Nothing;
  default: return Nothing;
  }
}

// Exy as ProTracker plays it. Where a parameter of 0 does nothing in ProTracker,
// XM would repeat the last value, so it goes.
MappedEffect ExtendedEffect(uint8_t parameter) {
  const uint8_t sub = parameter >> 4, value = parameter & 0x0F;
  switch (sub) {
  case 0x0: return {0, 0, AmigaFilterLost};
  case XmExtended::FinePortamentoUp:
  case XmExtended::FinePortamentoDown:
  case XmExtended::FineVolumeUp:
  case XmExtended::FineVolumeDown: return value ? MappedEffect{XmEffect::Extended, parameter} : Nothing;
  case XmExtended::SetFinetune: return {0, 0, FinetuneLost};
  case XmExtended::SetPanning: // 16 steps over the whole width
    return {XmEffect::SetPanning, uint8_t(value * 17)};
  case XmExtended::NoteCut: // a cut at tick 0 silences the note as it starts
    return value ? MappedEffect{XmEffect::Extended, parameter} : MappedEffect{XmEffect::SetVolume, 0};
  case XmExtended::NoteDelay: // ProTracker plays the note at once
    return value ? MappedEffect{XmEffect::Extended, parameter} : Nothing;
  case 0xF: return {0, 0, InvertLoopLost};
  default: return {XmEffect::Extended, parameter};
  }
}

} // namespace

ModDialect DialectOf(const ModFile &file) {
  if (file.layout.samples == 31)
    return ModDialect::ProTracker;
  for (const std::vector<ModCell> &pattern : file.patterns)
    for (const ModCell &cell : pattern)
      if (cell.effect >= FirstLaterCommand)
        return ModDialect::Soundtracker;
  return ModDialect::UltimateSoundtracker;
}

MappedEffect MapModEffect(ModDialect dialect, uint8_t effect, uint8_t parameter) {
  if (dialect == ModDialect::UltimateSoundtracker)
    return UltimateSoundtrackerEffect(effect, parameter);
  switch (effect) {
  case XmEffect::PortamentoUp:
  case XmEffect::PortamentoDown:
  case XmEffect::VolumeSlide:
    // A MOD slide of 0 does nothing; the XM one would repeat the last slide.
    return parameter ? MappedEffect{effect, parameter} : Nothing;
  case XmEffect::TonePortamentoVolumeSlide:
    // Without a slide the MOD goes on with the tone portamento alone.
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::TonePortamento, 0};
  case XmEffect::VibratoVolumeSlide:
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::Vibrato, 0};
  case XmEffect::Extended: return ExtendedEffect(parameter);
  case XmEffect::SpeedOrTempo:
    // The Soundtrackers take a speed from the low digit and ignore a 0.
    if (dialect == ModDialect::Soundtracker)
      return parameter & 0x0F ? MappedEffect{effect, uint8_t(parameter & 0x0F)} : Nothing;
    return {effect, parameter};
  default: return {effect, parameter};
  }
}
