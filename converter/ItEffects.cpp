#include "ItEffects.h"

#include <algorithm>

#include "XmFormat.h"

namespace {

constexpr uint8_t MaxXmGlobalVolume = 64;

std::optional<ItMappedCommand> Effect(uint8_t effect, uint8_t parameter) {
  return ItMappedCommand{effect, parameter, ScreamLoss::None};
}
std::optional<ItMappedCommand> Extended(uint8_t sub, uint8_t value) {
  return Effect(XmEffect::Extended, uint8_t(sub << 4 | (value & 0x0F)));
}
std::optional<ItMappedCommand> Lost(ScreamLoss loss) { return ItMappedCommand{0, 0, loss}; }
const std::optional<ItMappedCommand> Nothing = ItMappedCommand{};
const std::optional<ItMappedCommand> AsScreamTracker = std::nullopt;

uint8_t High(uint8_t value) { return value >> 4; }
uint8_t Low(uint8_t value) { return value & 0x0F; }

// A slide parameter whose digits both count and neither is F: IT does nothing.
bool BothDigits(uint8_t parameter) {
  const uint8_t x = High(parameter), y = Low(parameter);
  return x && y && x != 0xF && y != 0xF;
}

// Ixy: on for x ticks and off for y (at least one each), where XM's Txy is on for
// x + 1 and off for y + 1; with old effects IT counts as XM does.
std::optional<ItMappedCommand> Tremor(uint8_t parameter, const ScreamFlags &flags) {
  if (flags.oldEffects)
    return Effect(XmEffect::Tremor, parameter);
  const uint8_t on = std::max<uint8_t>(High(parameter), 1) - 1,
                off = std::max<uint8_t>(Low(parameter), 1) - 1;
  return Effect(XmEffect::Tremor, uint8_t(on << 4 | off));
}

// Wxy on IT's 0..128, as Hxy on XM's 0..64. Fine slides are set volumes by now
// (VolumeBaking.h).
std::optional<ItMappedCommand> GlobalVolumeSlide(uint8_t parameter) {
  const uint8_t x = High(parameter), y = Low(parameter);
  if ((x == 0xF && y) || (y == 0xF && x) || BothDigits(parameter))
    return Nothing;
  const auto half = [](uint8_t step) { return uint8_t((step + 1) / 2); };
  return Effect(XmEffect::GlobalVolumeSlide, x ? uint8_t(half(x) << 4) : half(y));
}

// Pxy: x slides left, y right, in steps of IT's 0..64, four of XM's; PxF and PFx
// are fine slides.
std::optional<ItMappedCommand> PanningSlide(uint8_t parameter) {
  const uint8_t x = High(parameter), y = Low(parameter);
  if ((x == 0xF && y) || (y == 0xF && x))
    return Lost(ScreamLoss::FinePanSlide);
  if (BothDigits(parameter))
    return Nothing;
  constexpr int Fastest = 15;
  const int steps = 4 * (x ? x : y);
  // XM's Pxy slides right by x, left by y.
  const uint8_t xm = uint8_t(std::min(steps, Fastest) << (x ? 0 : 4));
  return ItMappedCommand{XmEffect::PanningSlide, xm,
                         steps > Fastest ? ScreamLoss::FastPanSlide : ScreamLoss::None};
}

std::optional<ItMappedCommand> Special(uint8_t parameter) {
  const uint8_t value = Low(parameter);
  switch (High(parameter)) {
  case 0x5: return Nothing; // the panbrello waveform; Yxy warns
  case 0x6: return value ? Lost(ScreamLoss::FinePatternDelay) : Nothing;
  case 0x7: // new-note actions are spread over channels before; the envelope switches stay
    return value >= 7 && value <= 0xC ? Lost(ScreamLoss::EnvelopeSwitch) : Nothing;
  case 0x9: return value == 1 ? Lost(ScreamLoss::Surround) : Nothing;
  case 0xA: return value ? Lost(ScreamLoss::HighOffset) : Nothing;
  case 0xC: return Extended(XmExtended::NoteCut, std::max<uint8_t>(value, 1));
  case 0xD: return value ? Extended(XmExtended::NoteDelay, value) : Nothing;
  default: return AsScreamTracker;
  }
}

// Hxy: IT's vibrato is half as deep as XM's, with old effects as deep; Uxy is a
// quarter of Hxy.
unsigned VibratoEighths(const ScreamFlags &flags, bool fine) {
  return (flags.oldEffects ? 8u : 4u) / (fine ? 4u : 1u);
}

std::optional<ItMappedCommand> Vibrato(uint8_t parameter, bool fine, const ScreamFlags &flags) {
  const uint8_t depth = XmVibratoDepth(Low(parameter), VibratoEighths(flags, fine));
  return ItMappedCommand{XmEffect::Vibrato, uint8_t(High(parameter) << 4 | depth), ScreamLoss::None};
}

} // namespace

uint8_t ItVibratoDepth(uint8_t depth, const ScreamFlags &flags) {
  return XmVibratoDepth(depth, VibratoEighths(flags, false));
}

std::optional<ItMappedCommand> MapItCommand(uint8_t command, uint8_t parameter, const ScreamFlags &flags) {
  switch (command) {
  case ScreamCommand('D'):
  case ScreamCommand('K'):
  case ScreamCommand('L'): return BothDigits(parameter) ? Nothing : AsScreamTracker;
  case ScreamCommand('H'): return Vibrato(parameter, false, flags);
  case ScreamCommand('U'): return Vibrato(parameter, true, flags);
  case ScreamCommand('I'): return Tremor(parameter, flags);
  case ScreamCommand('M'):
  case ScreamCommand('N'): return Nothing; // baked into the volumes before mapping
  case ScreamCommand('P'): return PanningSlide(parameter);
  case ScreamCommand('S'): return Special(parameter);
  case ScreamCommand('T'):
    return parameter >= 0x20 ? AsScreamTracker : parameter & 0x0F ? Lost(ScreamLoss::TempoSlide) : Nothing;
  case ScreamCommand('V'):
    return Effect(XmEffect::SetGlobalVolume,
                  std::min<uint8_t>(uint8_t((parameter + 1) / 2), MaxXmGlobalVolume));
  case ScreamCommand('W'): return GlobalVolumeSlide(parameter);
  case ScreamCommand('X'): return Effect(XmEffect::SetPanning, parameter);
  default: return AsScreamTracker;
  }
}

namespace {

// The volume column's ranges.
namespace ItVolume {
constexpr uint8_t SetLast = 64;
constexpr uint8_t FineUp = 65, FineDown = 75, SlideUp = 85, SlideDown = 95;
constexpr uint8_t PitchDown = 105, PitchUp = 115, PanningFirst = 128, PanningLast = 192;
constexpr uint8_t Portamento = 193, Vibrato = 203, Last = 212;
} // namespace ItVolume

// The speeds g0..g9 stand for.
constexpr uint8_t PortamentoSpeeds[10] = {0, 1, 4, 8, 16, 32, 64, 96, 128, 255};

bool EffectFree(const SongCell &out) { return out.effect == 0 && out.parameter == 0; }

uint8_t VolumeCommand(uint8_t command, uint8_t value) { return uint8_t(command << 4 | value); }

void MapVolumeColumn(uint8_t v, const ScreamFlags &flags, SongCell &out, ScreamLosses &losses) {
  if (v == ScreamNoVolume)
    return;
  if (v <= ItVolume::SetLast) {
    out.volume = uint8_t(XmVolumeColumn::SetFirst + v);
  } else if (v < ItVolume::FineDown) {
    out.volume = VolumeCommand(XmVolumeColumn::FineSlideUp, v - ItVolume::FineUp);
  } else if (v < ItVolume::SlideUp) {
    out.volume = VolumeCommand(XmVolumeColumn::FineSlideDown, v - ItVolume::FineDown);
  } else if (v < ItVolume::PitchDown) {
    // The player's volume column slides on the row's first tick too, IT's does not:
    // the effect column's slide does as IT's, where it is free.
    const bool up = v < ItVolume::SlideDown;
    const uint8_t amount = uint8_t(v - (up ? ItVolume::SlideUp : ItVolume::SlideDown));
    if (amount && EffectFree(out))
      out.effect = XmEffect::VolumeSlide, out.parameter = up ? uint8_t(amount << 4) : amount;
    else if (amount)
      out.volume = VolumeCommand(up ? XmVolumeColumn::SlideUp : XmVolumeColumn::SlideDown, amount);
  } else if (v < ItVolume::PanningFirst) {
    // Pitch slides of four times the value; XM's volume column has none.
    const bool down = v < ItVolume::PitchUp;
    const uint8_t amount = uint8_t(4 * (v - (down ? ItVolume::PitchDown : ItVolume::PitchUp)));
    if (amount && EffectFree(out))
      out.effect = down ? XmEffect::PortamentoDown : XmEffect::PortamentoUp, out.parameter = amount;
    else if (amount)
      losses.Add(ScreamLoss::VolumeColumnSlide);
  } else if (v <= ItVolume::PanningLast) {
    const int panning = std::min(255, (v - ItVolume::PanningFirst) * 4);
    if (EffectFree(out))
      out.effect = XmEffect::SetPanning, out.parameter = uint8_t(panning);
    else
      out.volume = VolumeCommand(XmVolumeColumn::SetPanning, uint8_t(std::min(15, (panning + 8) / 16)));
  } else if (v < ItVolume::Vibrato) {
    const uint8_t speed = PortamentoSpeeds[v - ItVolume::Portamento];
    if (EffectFree(out))
      out.effect = XmEffect::TonePortamento, out.parameter = speed;
    else
      out.volume =
          VolumeCommand(XmVolumeColumn::TonePortamento, uint8_t(std::clamp((speed + 8) / 16, 1, 15)));
  } else if (v <= ItVolume::Last) {
    out.volume =
        VolumeCommand(XmVolumeColumn::Vibrato, ItVibratoDepth(uint8_t(v - ItVolume::Vibrato), flags));
  }
}

} // namespace

void MapItNoteAndVolume(const ScreamCell &cell, const ScreamFlags &flags, SongCell &out,
                        ScreamLosses &losses) {
  const uint8_t fromEffect = out.volume; // a fine slide that Kxy or Lxy needs beside it
  out.volume = 0;
  MapVolumeColumn(cell.volume, flags, out, losses);
  if (fromEffect && out.volume == 0)
    out.volume = fromEffect;
  // A cut silences the note at once, where XM's key-off alone would release it into
  // its envelope's fade; the key-off still tells the later steps the note is gone.
  if (cell.note == ScreamNoteCut) {
    out.note = KeyOffNote;
    if (out.volume == 0)
      out.volume = XmVolumeColumn::SetFirst;
    else if (EffectFree(out))
      out.effect = XmEffect::SetVolume, out.parameter = 0;
  }
}
