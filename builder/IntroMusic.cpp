#include "IntroMusic.h"

TIntroMusic MusicForIntro(const std::vector<uint8_t> &file) {
  TIntroMusic music;
  music.Conversion = ConvertModule(file.data(), file.size());
  music.Bytes = music.Conversion.ok ? music.Conversion.xm : std::string(file.begin(), file.end());
  music.Converted = music.Conversion.ok && music.Bytes.compare(0, std::string::npos,
                                                             reinterpret_cast<const char *>(file.data()),
                                                             file.size()) != 0;
  return music;
}

std::vector<std::string> ConversionLines(const std::string &name, const TIntroMusic &music) {
  std::vector<std::string> lines;
  if (!music.Converted && music.Conversion.warnings.empty())
    return lines;
  lines.push_back(name + ": " + music.Conversion.description);
  for (const std::string &warning : music.Conversion.warnings)
    lines.push_back(name + ": warning: " + warning);
  return lines;
}
