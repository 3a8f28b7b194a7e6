#include "ModuleConverter.h"

#include <cstdio>
#include <cstring>

#include "ItConversion.h"
#include "ItReader.h"
#include "ModConversion.h"
#include "S3mConversion.h"
#include "S3mReader.h"
#include "SampleReduction.h"
#include "SongArena.h"
#include "Warnings.h"
#include "Xm104Writer.h"
#include "XmLoader.h"
#include "XmReader.h"
#include "XmRejectionText.h"

namespace {

constexpr char Arrow[] = " -> XM";

ConvertedModule Rejected(std::string why) {
  ConvertedModule m;
  m.rejection = std::move(why);
  return m;
}

std::string VersionText(uint16_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02x", unsigned(version >> 8 & 0xFF), unsigned(version & 0xFF));
  return text;
}

std::string JoinedChanges(const std::vector<std::string> &changes) {
  std::string text;
  for (size_t i = 0; i < changes.size(); ++i)
    text += (i == 0 ? "" : ", ") + changes[i];
  return text;
}

// Each byte of a module fills at most five bytes of the player's memory (a packed
// empty cell); beyond that, and a little for the song's own records, the file names
// more than it holds, such as many empty patterns of many rows.
constexpr size_t MostMemoryPerFileByte = 8;
constexpr size_t SongRecordsMemory = size_t(1) << 20;

std::string Mebibytes(size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1 << 20));
  return text;
}

// The last word is the player's own loader: what it refuses, no intro could play.
ConvertedModule CheckedByPlayer(ConvertedModule m, size_t fileSize) {
  SongArena arena;
  ModuleSource source;
  openMemorySource(source, m.xm.data(), uint32_t(m.xm.size()));
  if (const XmRejection why = loadModule(source, arena.heap()))
    return Rejected(
        "the player cannot load it: " +
        explainRejection(why, reinterpret_cast<const uint8_t *>(m.xm.data()), uint32_t(m.xm.size())));
  const size_t need = arena.bytesInUse();
  if (need > SongRecordsMemory + MostMemoryPerFileByte * fileSize)
    m.warnings.push_back("the intro needs " + Mebibytes(need) +
                         " of memory to hold this music, far more than a file of " +
                         std::to_string(fileSize) + " bytes can fill");
  m.ok = true;
  return m;
}

ConvertedModule FromSong(Song &song, size_t fileSize, std::string description,
                         std::vector<std::string> warnings) {
  ReduceInstrumentSamples(song, warnings);
  ConvertedModule m;
  m.xm = WriteXm104(song);
  if (m.xm.empty())
    return Rejected("a pattern holds more than an XM pattern can store");
  m.description = std::move(description);
  m.warnings = std::move(warnings);
  return CheckedByPlayer(std::move(m), fileSize);
}

// The file itself, byte for byte.
ConvertedModule PassedOn(const uint8_t *bytes, size_t size, std::string description,
                         std::vector<std::string> warnings) {
  ConvertedModule m;
  m.xm.assign(reinterpret_cast<const char *>(bytes), size);
  m.description = std::move(description);
  m.warnings = std::move(warnings);
  return CheckedByPlayer(std::move(m), size);
}

bool NeedsSampleReduction(const Song &song) {
  for (const SongInstrument &i : song.instruments)
    if (i.samples.size() > XmMaxInstrumentSamples)
      return true;
  return false;
}

ConvertedModule FromXm(const uint8_t *bytes, size_t size) {
  XmReading r = ReadXm(bytes, size);
  if (r.outcome == XmReading::Refused)
    return Rejected("the player cannot load it: " + r.refusal);
  if (r.outcome == XmReading::Truncated)
    return Rejected("a truncated XM module: the file ends inside its " +
                    std::string(r.song.patterns.empty() && r.song.instruments.empty()
                                    ? "headers"
                                    : "patterns or instruments"));
  const std::string description = "XM " + VersionText(r.version) + " module";
  if (r.outcome == XmReading::BeyondTrackers) // left to the player's own reading
    return PassedOn(bytes, size, description + ", passed on as the player reads it", {});
  std::vector<std::string> warnings;
  if (r.missingSampleBytes)
    warnings.push_back(SamplesCutShort(r.missingSampleBytes));
  if (r.version == XmCurrentVersion && r.layoutChanges.empty() && !r.missingSampleBytes &&
      !NeedsSampleReduction(r.song))
    return PassedOn(bytes, size, description + ", already in the player's layout", std::move(warnings));
  const std::string changes = r.layoutChanges.empty() ? "" : " with " + JoinedChanges(r.layoutChanges);
  return FromSong(r.song, size, description + changes + Arrow + " 1.04", std::move(warnings));
}

ConvertedModule FromMod(const uint8_t *bytes, size_t size) {
  ModReading mod = ReadMod(bytes, size);
  switch (mod.outcome) {
  case ModReading::Truncated: return Rejected("a truncated MOD module: the file ends inside its patterns");
  case ModReading::NotMod: return Rejected("not a module: not an XM, MOD, S3M or IT file");
  case ModReading::UnknownTag:
    return Rejected("a MOD with the tag \"" + mod.tag + "\", which names no layout this program knows");
  case ModReading::BadSongLength: return Rejected("a MOD whose song length is 0 or more than 128 orders");
  case ModReading::Read: break;
  }
  return FromSong(mod.song, size, mod.description + Arrow, std::move(mod.warnings));
}

bool AnyBytes(const uint8_t *, size_t) { return true; }

// "123,456"
std::string GroupedDigits(size_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3)
    digits.insert(at - 3, ",");
  return digits;
}

// The conversion of a format the player does not know says how large the file was
// and how large its XM is.
ConvertedModule WithSizes(ConvertedModule m, size_t fileSize) {
  if (m.ok)
    m.description += ", " + GroupedDigits(fileSize) + " -> " + GroupedDigits(m.xm.size()) + " bytes";
  return m;
}

ConvertedModule FromS3m(const uint8_t *bytes, size_t size) {
  S3mConversion s3m = ConvertS3m(bytes, size);
  switch (s3m.outcome) {
  case S3mConversion::Truncated: return Rejected("a truncated S3M module: " + s3m.refusal);
  case S3mConversion::Refused: return Rejected("an S3M module the converter cannot use: " + s3m.refusal);
  case S3mConversion::Converted: break;
  }
  return WithSizes(FromSong(s3m.song, size, s3m.description + Arrow, std::move(s3m.warnings)), size);
}

ConvertedModule FromIt(const uint8_t *bytes, size_t size) {
  ItConversion it = ConvertIt(bytes, size);
  switch (it.outcome) {
  case ItConversion::Truncated: return Rejected("a truncated IT module: " + it.refusal);
  case ItConversion::Refused: return Rejected("an IT module the converter cannot use: " + it.refusal);
  case ItConversion::Converted: break;
  }
  return WithSizes(FromSong(it.song, size, it.description + Arrow, std::move(it.warnings)), size);
}

struct FormatReader {
  bool (*recognises)(const uint8_t *bytes, size_t size);
  ConvertedModule (*convert)(const uint8_t *bytes, size_t size);
};

// Each format by its signature, tried in this order; a MOD, which has none that
// every MOD shares, is what is left.
constexpr FormatReader Readers[] = {
    {LooksLikeXm, FromXm},
    {LooksLikeS3m, FromS3m},
    {LooksLikeIt, FromIt},
    {AnyBytes, FromMod},
};

} // namespace

ConvertedModule ConvertModule(const uint8_t *bytes, size_t size) {
  const FormatReader *reader = Readers; // the last one takes anything
  while (!reader->recognises(bytes, size))
    ++reader;
  return reader->convert(bytes, size);
}

std::vector<std::string> ConversionReport(const std::string &name, const ConvertedModule &module) {
  std::vector<std::string> lines{name + ": " + module.description};
  for (const std::string &warning : module.warnings)
    lines.push_back(name + ": warning: " + warning);
  return lines;
}
