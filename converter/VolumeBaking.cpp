#include "VolumeBaking.h"

#include "Warnings.h"

double MixGain(uint8_t mixVolume) { return mixVolume / 128.0; }

VolumeBaking BakeVolumes(ScreamSong &song) {
  VolumeBaking baking;
  song.globalVolume = uint8_t((song.globalVolume + 1) / 2);
  return baking;
}

std::vector<std::string> VolumeBakingWarnings(const VolumeBaking &baking) {
  std::vector<std::string> warnings;
  if (baking.roundedSlides)
    warnings.push_back(
        Counted("a global volume slide by an odd step slides at XM's half resolution", baking.roundedSlides));
  return warnings;
}
