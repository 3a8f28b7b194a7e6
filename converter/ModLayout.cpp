#include "ModLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t TagOffset = ModTitleBytes + 31 * ModSampleInfoBytes + 2 + ModOrderEntries;
constexpr uint32_t LongestSampleWords = 32768;

struct KnownTag {
  char tag[5];
  int channels;
  const char *tracker;
  bool amigaLimits;
};

// The reference players keep ProTracker's period limits for its own tags only.
constexpr KnownTag KnownTags[] = {
    {"M.K.", 4, "ProTracker", true},
    {"M!K!", 4, "ProTracker", true},
    {"M&K!", 4, "NoiseTracker", false},
    {"N.T.", 4, "NoiseTracker", false},
    {"FEST", 4, "His Master's Noise", false},
    {"NSMS", 4, "ProTracker-compatible", false},
    {"LARD", 4, "ProTracker-compatible", false},
    {"PATT", 4, "ProTracker-compatible", false},
    {"FLT4", 4, "StarTrekker", false},
    {"FLT8", 8, "StarTrekker", false},
    {"EXO4", 4, "StarTrekker", false},
    {"CD81", 8, "Octalyser", false},
    {"CD61", 6, "Octalyser", false},
    {"OCTA", 8, "Octalyser", false},
    {"OKTA", 8, "Octalyser", false},
    {"FA04", 4, "Digital Tracker", false},
    {"FA06", 6, "Digital Tracker", false},
    {"FA08", 8, "Digital Tracker", false},
    {"TDZ1", 1, "TakeTracker", false},
    {"TDZ2", 2, "TakeTracker", false},
    {"TDZ3", 3, "TakeTracker", false},
};

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The layout a 31-sample tag names; false for a tag this program does not know.
bool LayoutOfTag(const uint8_t *tag, ModLayout &layout) {
  for (const KnownTag &known : KnownTags)
    if (std::memcmp(tag, known.tag, 4) == 0) {
      layout.channels = known.channels;
      layout.tracker = known.tracker;
      layout.amigaLimits = known.amigaLimits;
      layout.pairedPatterns = std::memcmp(tag, "FLT8", 4) == 0;
      return true;
    }
  layout.tracker = "FastTracker";
  layout.amigaLimits = false;
  if (tag[0] >= '1' && tag[0] <= '9' && std::memcmp(tag + 1, "CHN", 3) == 0)
    return layout.channels = tag[0] - '0', true;
  if (IsDigit(tag[0]) && IsDigit(tag[1]) && tag[2] == 'C' && tag[3] == 'H') {
    layout.channels = (tag[0] - '0') * 10 + (tag[1] - '0');
    return layout.channels >= 10 && layout.channels <= 32;
  }
  return false;
}

// Four printable characters: a tag, for no 15-sample file stores a cell there
// whose first byte is one (its sample number is below 16, its period below 4096).
bool LooksLikeTag(const uint8_t *tag) {
  return std::all_of(tag, tag + 4, [](uint8_t c) { return c >= 32 && c <= 126; });
}

uint32_t SampleWords(const uint8_t *info) { return uint32_t(info[22] << 8 | info[23]); }

// Mod's Grave writes no volume or finetune: each of its samples has 64 and 0.
bool SamplesAsModsGraveWrites(const uint8_t *bytes) {
  for (int s = 0; s < 31; ++s) {
    const uint8_t *info = bytes + ModTitleBytes + size_t(s) * ModSampleInfoBytes;
    if (SampleWords(info) && (info[24] != 0 || info[25] != ModMaxVolume))
      return false;
  }
  return true;
}

// Mod's Grave saves 8-channel songs with the plain M.K. tag and a restart byte of
// 0; the reference players know them by that and by their size, which only the
// 8-channel layout adds up to.
bool IsEightChannelMk(const uint8_t *bytes, size_t size) {
  const uint8_t *restart = bytes + TagOffset - ModOrderEntries - 1;
  if (std::memcmp(bytes + TagOffset, "M.K.", 4) != 0 || *restart != 0 || !SamplesAsModsGraveWrites(bytes))
    return false;
  ModLayout eight;
  eight.channels = 8;
  const uint64_t samples = ModSampleBytes(bytes, 31);
  const uint8_t *orders = restart + 1;
  for (const size_t entries : {ModOrderEntries, std::min<size_t>(restart[-1], ModOrderEntries)}) {
    const uint64_t end = ModPatternsEnd(eight, ModPatternsNamed(eight, orders, entries)) + samples;
    if (size == end || size == end + 1)
      return true;
  }
  return false;
}

// An untagged file must have the structure of a 15-sample one: volumes up to 64,
// no finetune, samples of at most 32768 words, a song of 1..128 orders all below
// 128, and all the patterns they name. Names are not looked at: real ones hold
// carriage returns, length bytes and the editor's leftovers.
bool HasSoundtrackerStructure(const uint8_t *bytes, size_t size) {
  ModLayout fifteen;
  fifteen.samples = 15;
  const size_t header = ModPatternsEnd(fifteen, 0);
  if (size < header)
    return false;
  for (int s = 0; s < 15; ++s) {
    const uint8_t *info = bytes + ModTitleBytes + size_t(s) * ModSampleInfoBytes;
    if (info[24] > 15 || info[25] > ModMaxVolume || SampleWords(info) > LongestSampleWords)
      return false;
  }
  const uint8_t *songLength = bytes + ModTitleBytes + 15 * ModSampleInfoBytes;
  const uint8_t *orders = songLength + 2;
  if (*songLength == 0 || *songLength > ModOrderEntries ||
      !std::all_of(orders, orders + ModOrderEntries, [](uint8_t o) { return o < ModOrderEntries; }))
    return false;
  return size >= ModPatternsEnd(fifteen, ModPatternsNamed(fifteen, orders, *songLength));
}

} // namespace

size_t ModPatternsEnd(const ModLayout &layout, size_t patterns) {
  const size_t header = ModTitleBytes + size_t(layout.samples) * ModSampleInfoBytes + 2 + ModOrderEntries +
                        (layout.samples == 31 ? 4 : 0);
  const size_t storedChannels = layout.pairedPatterns ? 4 : size_t(layout.channels);
  return header + patterns * ModRowsPerPattern * ModCellBytes * storedChannels;
}

uint64_t ModSampleBytes(const uint8_t *bytes, int samples) {
  uint64_t total = 0;
  for (int s = 0; s < samples; ++s)
    total += 2 * SampleWords(bytes + ModTitleBytes + size_t(s) * ModSampleInfoBytes);
  return total;
}

size_t ModPatternsNamed(const ModLayout &layout, const uint8_t *orders, size_t entries) {
  const uint8_t highest = entries ? *std::max_element(orders, orders + entries) : 0;
  // FLT8 stores each pattern as two halves, and its orders count halves.
  return layout.pairedPatterns ? size_t(highest / 2 + 1) * 2 : size_t(highest) + 1;
}

ModRecognition RecogniseMod(const uint8_t *bytes, size_t size) {
  ModRecognition r;
  if (size >= TagOffset + 4) {
    r.tag.assign(reinterpret_cast<const char *>(bytes + TagOffset), 4);
    if (LayoutOfTag(bytes + TagOffset, r.layout)) {
      if (IsEightChannelMk(bytes, size)) {
        r.layout.channels = 8;
        r.layout.tracker = "Mod's Grave";
        r.layout.amigaLimits = false;
      }
      r.kind = ModRecognition::Tagged;
      return r;
    }
    if (LooksLikeTag(bytes + TagOffset)) {
      r.kind = ModRecognition::UnknownTag;
      return r;
    }
  }
  if (HasSoundtrackerStructure(bytes, size)) {
    r.layout = ModLayout();
    r.layout.samples = 15;
    r.layout.tracker = "Soundtracker";
    r.kind = ModRecognition::Untagged;
  }
  return r;
}
