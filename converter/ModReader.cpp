#include "ModReader.h"

#include <algorithm>
#include <cstring>

#include "AmigaPitch.h"
#include "ByteReader.h"
#include "ByteWriter.h"
#include "ModEffects.h"
#include "ModTiming.h"
#include "XmFormat.h"

namespace {

constexpr size_t TitleBytes = 20;
constexpr size_t SampleInfoBytes = 30;
constexpr size_t RowsPerPattern = 64;
constexpr size_t CellBytes = 4;
constexpr size_t OrderEntries = 128;
constexpr uint8_t MaxModVolume = 64;

// The Amiga plays channels hard left and right. That is tiring on headphones, and
// the reference players mix it narrower by default; 75% keeps the wide Amiga image
// while both sides hear every channel. The volume column's panning has 16 steps:
// 2 and 14 are 32 and 224, equally far from the centre 128.
constexpr uint8_t LeftPanning = 2, RightPanning = 14;

struct ModLayout {
  int samples = 31;
  int channels = 4;
  bool pairedPatterns = false; // FLT8: each 8-channel pattern is two 4-channel halves
  const char *tracker = "ProTracker";
};

bool TagIs(const uint8_t *tag, const char *text) { return std::memcmp(tag, text, 4) == 0; }

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The layout a 31-sample tag names; false for no known tag.
bool LayoutOfTag(const uint8_t *tag, ModLayout &layout) {
  if (TagIs(tag, "M.K.") || TagIs(tag, "M!K!"))
    return true;
  if (TagIs(tag, "FLT4") || TagIs(tag, "FLT8")) {
    layout.tracker = "StarTrekker";
    layout.channels = tag[3] - '0';
    layout.pairedPatterns = tag[3] == '8';
    return true;
  }
  if (TagIs(tag, "CD81") || TagIs(tag, "OCTA") || TagIs(tag, "OKTA")) {
    layout.tracker = "Octalyser";
    return layout.channels = 8, true;
  }
  layout.tracker = "FastTracker";
  if ((tag[0] == '4' || tag[0] == '6' || tag[0] == '8') && TagIs(tag + 1, "CHN"))
    return layout.channels = tag[0] - '0', true;
  if (IsDigit(tag[0]) && IsDigit(tag[1]) && tag[2] == 'C' && tag[3] == 'H') {
    layout.channels = (tag[0] - '0') * 10 + (tag[1] - '0');
    return layout.channels >= 10 && layout.channels <= 32;
  }
  return false;
}

// A Soundtracker file has no tag; its header must look like one: printable names,
// volumes up to 64, no finetune, a song length of 1..128 and orders below 128.
bool LooksLikeSoundtracker(const uint8_t *bytes, size_t size) {
  const size_t header = TitleBytes + 15 * SampleInfoBytes + 2 + OrderEntries;
  if (size < header)
    return false;
  for (int s = 0; s < 15; ++s) {
    const uint8_t *info = bytes + TitleBytes + s * SampleInfoBytes;
    for (int i = 0; i < 22; ++i)
      if (info[i] != 0 && (info[i] < 32 || info[i] > 126))
        return false;
    if (info[24] > 15 || info[25] > MaxModVolume)
      return false;
  }
  const uint8_t *orders = bytes + TitleBytes + 15 * SampleInfoBytes;
  if (orders[0] == 0 || orders[0] > OrderEntries)
    return false;
  return std::all_of(orders + 2, orders + 2 + OrderEntries, [](uint8_t o) { return o < OrderEntries; });
}

struct ModSampleInfo {
  std::string name;
  uint32_t length = 0, loopStart = 0, loopLength = 0; // bytes
  int finetune = 0;
  uint8_t volume = 0;
};

ModSampleInfo ReadSampleInfo(TByteReader &in) {
  ModSampleInfo s;
  s.name = in.Bytes(22);
  s.length = in.U16BigEndian() * 2u;
  const uint8_t finetune = in.U8() & 0x0F;
  s.finetune = finetune < 8 ? finetune : finetune - 16;
  s.volume = std::min(in.U8(), MaxModVolume);
  s.loopStart = in.U16BigEndian() * 2u;
  s.loopLength = in.U16BigEndian() * 2u;
  // One word of loop is the trackers' way of saying none.
  if (s.loopLength <= 2 || s.loopStart >= s.length)
    s.loopStart = s.loopLength = 0;
  s.loopLength = std::min(s.loopLength, s.length - s.loopStart);
  return s;
}

SongSample MakeSample(const ModSampleInfo &info, const std::string &pcm) {
  SongSample sample;
  std::string &h = sample.header;
  const XmTuning tuning = TuningForFinetune(info.finetune);
  Put32(h, info.length);
  Put32(h, info.loopStart);
  Put32(h, info.loopLength);
  Put8(h, info.volume);
  Put8(h, uint8_t(tuning.finetune));
  Put8(h, info.loopLength ? ForwardLoop : NoLoop);
  Put8(h, 0x80); // centred: each note sets its channel's side
  Put8(h, uint8_t(tuning.relativeNote));
  Put8(h, 0);
  h += info.name;
  // XM stores 8-bit samples as deltas.
  uint8_t previous = 0;
  for (char c : pcm) {
    sample.data.push_back(char(uint8_t(c) - previous));
    previous = uint8_t(c);
  }
  return sample;
}

SongInstrument MakeInstrument(const ModSampleInfo &info, const std::string &pcm) {
  SongInstrument instrument;
  instrument.name = info.name;
  if (info.length > 0)
    instrument.samples.push_back(MakeSample(info, pcm));
  return instrument;
}

// Counts of what the XM plays differently, for one warning line each.
struct ModLosses {
  size_t amigaFilter = 0, e8x = 0, invertLoop = 0, finetune = 0, instrumentSwaps = 0, notesOutOfRange = 0,
         offsetsPastEnd = 0, missingSampleBytes = 0;
};

// One cell as the file stores it, with where it goes in the song.
struct StoredCell {
  SongCell *cell;
  int channel;
  bool patternStart;
  uint16_t period;
  uint8_t sample, effect, parameter;
};

class TModParse {
public:
  TModParse(const uint8_t *bytes, size_t size, const ModLayout &layout, ModReading &out)
      : in(bytes, size), layout(layout), storedChannels(layout.pairedPatterns ? 4 : layout.channels),
        out(out) {}

  void Run() {
    Song &song = out.song;
    song.name = in.Bytes(TitleBytes);
    song.tracker = std::string(layout.tracker) + " MOD";
    song.tracker.resize(20, '\0');
    song.channels = uint16_t(layout.channels);
    for (int s = 0; s < layout.samples; ++s)
      infos.push_back(ReadSampleInfo(in));
    song.songLength = in.U8();
    const uint8_t restart = in.U8();
    const std::string orders = in.Bytes(OrderEntries);
    if (layout.samples == 31)
      in.Skip(4); // the tag
    if (in.WentPastEnd())
      return void(out.outcome = ModReading::Truncated);
    if (song.songLength == 0 || song.songLength > OrderEntries)
      return;
    song.restartPosition = restart < song.songLength ? restart : 0;
    for (size_t i = 0; i < OrderEntries; ++i)
      song.orders[i] = layout.pairedPatterns ? uint8_t(orders[i]) / 2 : uint8_t(orders[i]);
    const size_t stored = StoredPatterns(orders);
    if (in.Remaining() < stored * StoredPatternBytes())
      return void(out.outcome = ModReading::Truncated);
    ReadPatterns(stored);
    ReadSamples();
    ConvertCells();
    for (SongPattern &p : song.patterns)
      MatchDelayedBreaks(p, layout.channels);
    ChooseTiming();
    Describe();
    out.outcome = ModReading::Read;
  }

private:
  size_t StoredPatternBytes() const { return RowsPerPattern * CellBytes * size_t(storedChannels); }

  // Stored patterns: as many as the highest of all 128 orders names, as ProTracker
  // counts; of the song's orders alone when garbage behind the song would claim more
  // than the file holds.
  size_t StoredPatterns(const std::string &orders) const {
    auto count = [&](size_t entries) {
      const uint8_t highest =
          uint8_t(*std::max_element(orders.begin(), orders.begin() + long(entries),
                                    [](char a, char b) { return uint8_t(a) < uint8_t(b); }));
      return layout.pairedPatterns ? size_t(highest / 2 + 1) * 2 : size_t(highest) + 1;
    };
    const size_t all = count(OrderEntries);
    return in.Remaining() >= all * StoredPatternBytes() ? all : count(out.song.songLength);
  }

  void ReadPatterns(size_t stored) {
    std::vector<SongPattern> &patterns = out.song.patterns;
    patterns.assign(layout.pairedPatterns ? stored / 2 : stored, SongPattern());
    for (SongPattern &p : patterns)
      p.cells.resize(RowsPerPattern * size_t(layout.channels));
    for (size_t s = 0; s < stored; ++s) {
      SongPattern &p = patterns[layout.pairedPatterns ? s / 2 : s];
      const int firstChannel = layout.pairedPatterns ? int(s % 2) * 4 : 0;
      for (size_t row = 0; row < RowsPerPattern; ++row)
        for (int c = 0; c < storedChannels; ++c) {
          const int channel = firstChannel + c;
          const uint8_t b0 = in.U8(), b1 = in.U8(), b2 = in.U8(), b3 = in.U8();
          cells.push_back({&p.cells[row * size_t(layout.channels) + size_t(channel)], channel,
                           row == 0 && c == 0, uint16_t((b0 & 0x0F) << 8 | b1),
                           uint8_t((b0 & 0xF0) | b2 >> 4), uint8_t(b2 & 0x0F), b3});
        }
    }
  }

  void ReadSamples() {
    for (const ModSampleInfo &info : infos) {
      losses.missingSampleBytes += info.length - std::min<size_t>(info.length, in.Remaining());
      out.song.instruments.push_back(MakeInstrument(info, in.Bytes(info.length)));
    }
  }

  // Cells are converted once the samples are known, for the checks that need them.
  void ConvertCells() {
    std::vector<uint8_t> lastInstrument(size_t(layout.channels), 0);
    for (const StoredCell &stored : cells) {
      if (stored.patternStart) // each pattern on its own: its predecessor varies
        std::fill(lastInstrument.begin(), lastInstrument.end(), 0);
      SongCell &cell = *stored.cell;
      cell.note = PeriodToNote(stored.period);
      if (stored.period != 0 && cell.note == 0)
        ++losses.notesOutOfRange;
      cell.instrument = stored.sample <= infos.size() ? stored.sample : 0;
      uint8_t &last = lastInstrument[size_t(stored.channel)];
      if (cell.instrument && !cell.note && last && cell.instrument != last)
        ++losses.instrumentSwaps;
      if (cell.instrument)
        last = cell.instrument;
      if (cell.note || cell.instrument)
        cell.volume = uint8_t(XmVolumeColumn::SetPanning << 4 | ChannelPanning(stored.channel));
      const MappedEffect mapped = MapModEffect(stored.effect, stored.parameter);
      cell.effect = mapped.effect;
      cell.parameter = mapped.parameter;
      CountLoss(mapped.loss);
      if (stored.effect == XmEffect::SampleOffset && stored.parameter && last && infos[last - 1].length &&
          size_t(stored.parameter) * 256 >= infos[last - 1].length)
        ++losses.offsetsPastEnd;
    }
  }

  void ChooseTiming() {
    const double seconds = SecondsOfOnePass(out.song, false);
    if (seconds <= LongestCiaTimedSong || SecondsOfOnePass(out.song, true) >= seconds)
      return;
    // Only speeds above 31 make the song shorter, so there are some.
    const size_t slower = ReadTempoCommandsAsSpeeds(out.song);
    out.warnings.push_back(
        "Fxx read as speeds, as vertical-blank trackers did (with those of 20 and above as BPM "
        "the song would last " +
        std::to_string(int(seconds / 60)) +
        " minutes); speeds above 31 play as 31 at a lower BPM, set on an added channel (" +
        std::to_string(slower) + (slower == 1 ? " time)" : " times)"));
  }

  void CountLoss(ModEffectLoss loss) {
    switch (loss) {
    case AmigaFilterLost: ++losses.amigaFilter; break;
    case E8xLost: ++losses.e8x; break;
    case InvertLoopLost: ++losses.invertLoop; break;
    case FinetuneLost: ++losses.finetune; break;
    case NothingLost: break;
    }
  }

  void Warn(size_t count, const std::string &text) {
    if (count)
      out.warnings.push_back(text + " (" + std::to_string(count) + (count == 1 ? " time)" : " times)"));
  }

  void Describe() {
    out.description = std::to_string(layout.channels) + "-channel " + layout.tracker + " module, " +
                      std::to_string(layout.samples) + " samples";
    Warn(losses.amigaFilter, "E0x (the Amiga filter) dropped");
    Warn(losses.e8x, "E8x dropped");
    Warn(losses.invertLoop, "EFx (invert loop) dropped: XM has no such effect");
    Warn(losses.finetune, "E5x (set finetune) dropped: the player's E5x would retune the sample for good");
    Warn(losses.instrumentSwaps, "an instrument number without a note changes only the volume in XM, "
                                 "a MOD player also swaps the sample");
    Warn(losses.offsetsPastEnd, "a sample offset past the sample's end is silent in XM, a MOD player "
                                "plays the loop or a click");
    Warn(losses.notesOutOfRange, "a period outside XM's 8 octaves became an empty note");
    if (losses.missingSampleBytes)
      out.warnings.push_back("the file ends " + std::to_string(losses.missingSampleBytes) +
                             " bytes before its sample data; the missing part is silent");
  }

  TByteReader in;
  const ModLayout layout;
  const int storedChannels;
  ModReading &out;
  std::vector<ModSampleInfo> infos;
  std::vector<StoredCell> cells;
  ModLosses losses;
};

} // namespace

uint8_t ChannelPanning(int channel) {
  const int place = channel % 4;
  return place == 0 || place == 3 ? LeftPanning : RightPanning;
}

ModReading ReadMod(const uint8_t *bytes, size_t size) {
  ModReading out;
  ModLayout layout;
  const size_t tagOffset = TitleBytes + 31 * SampleInfoBytes + 2 + OrderEntries;
  if (size >= tagOffset + 4 && LayoutOfTag(bytes + tagOffset, layout)) {
    TModParse(bytes, size, layout, out).Run();
  } else if (LooksLikeSoundtracker(bytes, size)) {
    layout = ModLayout();
    layout.samples = 15;
    layout.tracker = "Soundtracker";
    TModParse(bytes, size, layout, out).Run();
  }
  return out;
}
