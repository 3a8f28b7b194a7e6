#include "InputChecks.h"

#include <algorithm>

#include "FileBytes.h"
#include "IconFile.h"
#include "IntroMusic.h"
#include "ModuleSource.h"
#include "SongArena.h"
#include "TgaImage.h"
#include "XmRejectionText.h"

namespace {
// Resources are at most 4 GiB, and no intro would get one this big to its player.
constexpr size_t MaxInputBytes = size_t(1) << 30;
constexpr size_t TgaHeaderBytes = 18;

// A missing, unreadable or empty file never reaches the intro.
bool ReadInput(const char *path, std::vector<uint8_t> &bytes, InputVerdict &verdict) {
  const FileRead read = ReadFileBytes(path, MaxInputBytes, bytes);
  verdict.LeftOut = read != FileRead::Read || bytes.empty();
  if (read == FileRead::Unreadable)
    verdict.Why = "the file cannot be read";
  else if (read == FileRead::TooLarge)
    verdict.Why = "the file is larger than 1 GiB";
  else if (bytes.empty())
    verdict.Why = "the file is empty";
  return !verdict.LeftOut;
}

InputVerdict Check(const char *path, std::string (*problem)(const std::vector<uint8_t> &)) {
  InputVerdict verdict;
  std::vector<uint8_t> bytes;
  if (ReadInput(path, bytes, verdict))
    verdict.Why = problem(bytes);
  return verdict;
}

// What the header says, for a font that the decoder refused.
std::string TgaHeaderFacts(const std::vector<uint8_t> &b) {
  if (b.size() < TgaHeaderBytes)
    return "it is shorter than a TGA header (18 bytes)";
  const unsigned type = b[2], depth = b[16], width = b[12] | b[13] << 8, height = b[14] | b[15] << 8;
  if (type != 2 && type != 10)
    return "it is a TGA of type " + std::to_string(type) + ", and only true-colour types 2 and 10 are drawn";
  if (depth != 24 && depth != 32)
    return "its pixels have " + std::to_string(depth) + " bits, and only 24 or 32 are drawn";
  if (width == 0 || height == 0)
    return "its width or height is 0";
  return "its pixel data end before the picture of " + std::to_string(width) + " x " +
         std::to_string(height) + " is complete";
}
} // namespace

std::string FontProblem(const std::vector<uint8_t> &bytes) {
  TFontImage image;
  if (DecodeTga(bytes.data(), uint32_t(bytes.size()), image)) {
    FreeFontImage(image);
    return "";
  }
  return "the player cannot decode it: " + TgaHeaderFacts(bytes);
}

namespace {
std::string LoaderProblem(const std::string &module) {
  const uint8_t *bytes = reinterpret_cast<const uint8_t *>(module.data());
  SongArena arena;
  ModuleSource source;
  openMemorySource(source, bytes, uint32_t(module.size()));
  const XmRejection why = loadModule(source, arena.heap());
  if (why == XmAccepted)
    return "";
  return "the player's loader rejects it: " + explainRejection(why, bytes, uint32_t(module.size()));
}

bool StartsAsXm(const std::vector<uint8_t> &bytes) {
  static const char Signature[] = "Extended Module: ";
  return bytes.size() >= sizeof Signature - 1 && std::equal(Signature, Signature + sizeof Signature - 1, bytes.begin());
}
} // namespace

// The module the intro will carry decides. For a file the converter refuses, that is
// the file itself: of an XM the loader names the rule it breaks, of anything else the
// converter says what it is.
std::string MusicProblem(const std::vector<uint8_t> &bytes) {
  const TIntroMusic music = MusicForIntro(bytes);
  const std::string loader = LoaderProblem(music.Bytes);
  if (loader.empty() || music.Conversion.ok || StartsAsXm(bytes))
    return loader;
  return music.Conversion.rejection;
}

InputVerdict CheckFont(const char *path) { return Check(path, FontProblem); }
InputVerdict CheckMusic(const char *path) { return Check(path, MusicProblem); }

InputVerdict CheckIcon(const char *path) {
  InputVerdict verdict;
  std::vector<uint8_t> bytes;
  const FileRead read = ReadFileBytes(path, MaxIconFileBytes, bytes);
  if (read == FileRead::Unreadable) {
    verdict.LeftOut = true;
    verdict.Why = "the file cannot be read";
    return verdict;
  }
  Ico icon;
  const IcoProblem problem = read == FileRead::TooLarge ? IcoProblem::LargerThanAnyIcon
                                                        : ParseIconFile(bytes.data(), bytes.size(), icon);
  if (problem != IcoProblem::None) {
    verdict.LeftOut = true;
    verdict.Why = std::string("the icon is refused: ") + DescribeIcoProblem(problem);
  }
  return verdict;
}
