#include "ModConversion.h"

#include <algorithm>

#include "AmigaPitch.h"
#include "ByteWriter.h"
#include "ModEffects.h"
#include "ModLayout.h"
#include "ModQuirks.h"
#include "ModReader.h"
#include "ModTiming.h"
#include "ModWarnings.h"
#include "XmFormat.h"

namespace {

// The Amiga plays channels hard left and right. That is tiring on headphones, and
// the reference players mix it narrower by default; 75% keeps the wide Amiga image
// while both sides hear every channel. The volume column's panning has 16 steps:
// 2 and 14 are 32 and 224, equally far from the centre 128.
constexpr uint8_t LeftPanning = 2, RightPanning = 14;
constexpr unsigned FastestBpm = 255;

// The first trackers play only the loop of a looped sample, from its start.
void KeepOnlyTheLoop(ModSampleInfo &info, std::string &bytes) {
  if (info.loopLength == 0)
    return;
  bytes = bytes.substr(std::min<size_t>(info.loopStart, bytes.size()), info.loopLength);
  info.length = info.loopLength;
  info.loopStart = 0;
}

// The sample as far as the file holds it. The reference players play a loop that the
// file ends inside at its full length, the missing part silent; so does the XM while
// that silence stays within `silenceLeft` bytes.
void KeepWhatIsThere(ModSampleInfo &info, std::string &bytes, uint64_t &silenceLeft) {
  const uint64_t loopEnd = uint64_t(info.loopStart) + info.loopLength;
  if (info.loopLength && info.loopStart < bytes.size() && loopEnd > bytes.size() &&
      loopEnd - bytes.size() <= silenceLeft) {
    silenceLeft -= loopEnd - bytes.size();
    bytes.resize(size_t(loopEnd), '\0');
  }
  info.length = uint32_t(bytes.size());
  if (info.loopStart >= info.length)
    info.loopStart = info.loopLength = 0;
  info.loopLength = std::min(info.loopLength, info.length - info.loopStart);
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

const char *TrackerName(ModDialect dialect, const ModLayout &layout) {
  switch (dialect) {
  case ModDialect::UltimateSoundtracker: return "Ultimate Soundtracker";
  case ModDialect::Soundtracker: return "Soundtracker";
  case ModDialect::ProTracker: break;
  }
  return layout.tracker;
}

class TModToXm {
public:
  // No more silence is added to loops than the file has bytes: the XM stays within
  // twice the file's size.
  TModToXm(ModFile &file, size_t fileSize, ModReading &out)
      : file(file), dialect(DialectOf(file)), out(out), silenceLeft(fileSize) {}

  void Run() {
    Song &song = out.song;
    const ModLayout &layout = file.layout;
    song.name = file.title;
    song.tracker = std::string(TrackerName(dialect, layout)).substr(0, 16) + " MOD";
    song.tracker.resize(20, '\0');
    song.channels = uint16_t(layout.channels);
    song.songLength = file.songLength;
    std::copy(file.orders, file.orders + ModOrderEntries, song.orders);
    SetTiming();
    MakeInstruments();
    ConvertPatterns();
    Rewrite();
    out.description = std::to_string(layout.channels) + "-channel " + TrackerName(dialect, layout) +
                      " module, " + std::to_string(layout.samples) + " samples";
    const std::vector<std::string> warnings = ModWarnings(losses);
    out.warnings.insert(out.warnings.begin(), warnings.begin(), warnings.end());
    out.outcome = ModReading::Read;
  }

private:
  // In 15-sample files the byte after the song length is the initial tempo, in the
  // others a restart position.
  void SetTiming() {
    Song &song = out.song;
    if (file.layout.samples == 31) {
      song.restartPosition = file.restartByte < file.songLength ? file.restartByte : 0;
      return;
    }
    const unsigned bpm = SoundtrackerBpm(file.restartByte);
    if (bpm > FastestBpm)
      losses.askedBpm = bpm;
    if (bpm)
      song.bpm = uint16_t(std::min(bpm, FastestBpm));
  }

  void MakeInstruments() {
    for (size_t s = 0; s < file.samples.size(); ++s) {
      ModSampleInfo &info = file.samples[s];
      std::string &bytes = file.sampleBytes[s];
      if (dialect != ModDialect::ProTracker)
        KeepOnlyTheLoop(info, bytes);
      KeepWhatIsThere(info, bytes, silenceLeft);
      SongInstrument instrument;
      instrument.name = info.name;
      if (info.length > 0)
        instrument.samples.push_back(MakeSample(info, bytes));
      out.song.instruments.push_back(std::move(instrument));
      finetunes.push_back(info.finetune);
    }
    losses.missingSampleBytes = file.missingSampleBytes;
  }

  void ConvertPatterns() {
    const size_t channels = size_t(file.layout.channels);
    for (const std::vector<ModCell> &stored : file.patterns) {
      SongPattern pattern;
      pattern.cells.resize(stored.size());
      // Each pattern on its own: what comes before it varies.
      std::vector<uint8_t> lastSample(channels, 0);
      for (size_t i = 0; i < stored.size(); ++i)
        pattern.cells[i] = ConvertCell(stored[i], int(i % channels), lastSample[i % channels]);
      out.song.patterns.push_back(std::move(pattern));
    }
  }

  SongCell ConvertCell(const ModCell &stored, int channel, uint8_t &last) {
    SongCell cell;
    cell.note = PeriodToNote(stored.period);
    if (stored.period != 0 && cell.note == 0)
      ++losses.notesOutOfRange;
    cell.instrument = stored.sample <= file.samples.size() ? stored.sample : 0;
    if (cell.instrument && !cell.note && last && cell.instrument != last)
      ++losses.instrumentSwaps;
    if (cell.instrument)
      last = cell.instrument;
    if (cell.note || cell.instrument)
      cell.volume = uint8_t(XmVolumeColumn::SetPanning << 4 | ChannelPanning(channel));
    const MappedEffect mapped = MapModEffect(dialect, stored.effect, stored.parameter);
    cell.effect = mapped.effect;
    cell.parameter = mapped.parameter;
    CountLoss(mapped.loss);
    if (mapped.effect == XmEffect::SampleOffset && mapped.parameter && last &&
        file.samples[last - 1].length && size_t(mapped.parameter) * 256 >= file.samples[last - 1].length)
      ++losses.offsetsPastEnd;
    return cell;
  }

  void CountLoss(ModEffectLoss loss) {
    switch (loss) {
    case AmigaFilterLost: ++losses.amigaFilter; break;
    case InvertLoopLost: ++losses.invertLoop; break;
    case FinetuneLost: ++losses.finetune; break;
    case NothingLost: break;
    }
  }

  void Rewrite() {
    Song &song = out.song;
    for (SongPattern &p : song.patterns)
      MatchDelayedJumps(p, song.channels);
    if (dialect == ModDialect::ProTracker)
      StopAtF00(song);
    std::vector<uint8_t> panning;
    for (int c = 0; c < song.channels; ++c)
      panning.push_back(ChannelPanning(c));
    KeepPanning(song, panning);
    if (file.layout.amigaLimits)
      KeepSlidesWithinAmigaLimits(song, finetunes);
    if (dialect == ModDialect::ProTracker)
      ChooseTiming();
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

  ModFile &file;
  const ModDialect dialect;
  ModReading &out;
  ModLosses losses;
  std::vector<int> finetunes;
  uint64_t silenceLeft;
};

} // namespace

uint8_t ChannelPanning(int channel) {
  const int place = channel % 4;
  return place == 0 || place == 3 ? LeftPanning : RightPanning;
}

ModReading ReadMod(const uint8_t *bytes, size_t size) {
  ModReading out;
  const ModRecognition recognised = RecogniseMod(bytes, size);
  out.tag = recognised.tag;
  if (recognised.kind == ModRecognition::NotMod)
    return out;
  if (recognised.kind == ModRecognition::UnknownTag)
    return out.outcome = ModReading::UnknownTag, out;
  ModFile file;
  switch (ReadModFile(bytes, size, recognised.layout, file)) {
  case ModFileRead::CutShort: out.outcome = ModReading::Truncated; return out;
  case ModFileRead::BadSongLength: out.outcome = ModReading::BadSongLength; return out;
  case ModFileRead::Read: break;
  }
  TModToXm(file, size, out).Run();
  return out;
}
