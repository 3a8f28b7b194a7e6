#include "ModEffects.h"

#include "XmFormat.h"

MappedEffect MapModEffect(uint8_t effect, uint8_t parameter) {
  const uint8_t sub = parameter >> 4, value = parameter & 0x0F;
  switch (effect) {
  case XmEffect::PortamentoUp:
  case XmEffect::PortamentoDown:
  case XmEffect::VolumeSlide:
    // A MOD slide of 0 does nothing; the XM one would repeat the last slide.
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{};
  case XmEffect::TonePortamentoVolumeSlide:
    // Without a slide the MOD goes on with the tone portamento alone.
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::TonePortamento, 0};
  case XmEffect::VibratoVolumeSlide:
    return parameter ? MappedEffect{effect, parameter} : MappedEffect{XmEffect::Vibrato, 0};
  case XmEffect::Extended:
    if (sub == 0x0)
      return {0, 0, AmigaFilterLost};
    if (sub == XmExtended::SetPanning)
      return {0, 0, E8xLost};
    if (sub == 0xF)
      return {0, 0, InvertLoopLost};
    if (sub == XmExtended::SetFinetune) // MOD: signed eighths; XM: 16ths above -8
      return {effect, uint8_t(XmExtended::SetFinetune << 4 | ((value + 8) & 0x0F))};
    return {effect, parameter};
  default: return {effect, parameter};
  }
}
