#include "IntroMusic.h"

TIntroMusic MusicForIntro(const std::vector<uint8_t> &file) {
  TIntroMusic music;
  const std::string asItIs(file.begin(), file.end());
  music.Conversion = ConvertModule(file.data(), file.size());
  music.Bytes = music.Conversion.ok ? music.Conversion.xm : asItIs;
  music.Converted = music.Bytes != asItIs;
  return music;
}

std::vector<std::string> ConversionLines(const std::string &name, const TIntroMusic &music) {
  if (!music.Converted && music.Conversion.warnings.empty())
    return {};
  return ConversionReport(name, music.Conversion);
}
