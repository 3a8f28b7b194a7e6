#include "ItReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "ByteReader.h"
#include "ItFile.h"
#include "ItInstruments.h"
#include "ItSamples.h"
#include "VolumeBaking.h"

namespace {

constexpr size_t NameBytes = 26;
constexpr size_t MostOrders = 256;
constexpr size_t XmMostInstruments = 255;
constexpr size_t MostRows = 256; // the player's longest pattern
constexpr size_t EmptyPatternRows = 64;
constexpr size_t PatternHeaderBytes = 8;
constexpr uint8_t EndOfRow = 0;
constexpr uint8_t ItNoteOff = 255, ItNoteCut = 254, ItFirstFade = 120;
constexpr uint8_t ItLastVolume = 212;
// Compressed samples hold at least a bit a frame, so all a file's samples together
// hold at most eight frames a byte; more is a claim the file cannot back.
constexpr uint64_t MostFramesPerFileByte = 8;

// IT's stored note in the song model's terms.
uint8_t ModelNote(uint8_t stored) {
  if (stored < ItKeyboardNotes)
    return uint8_t(stored + 1);
  if (stored == ItNoteOff)
    return ScreamNoteOff;
  if (stored == ItNoteCut)
    return ScreamNoteCut;
  return stored >= ItFirstFade ? ScreamNoteFade : ScreamNoNote;
}

// What a channel's last cell stored, for the mask bits that repeat it.
struct StoredCell {
  uint8_t note = 0, instrument = 0, volume = 0, command = 0, parameter = 0;
};

// A cell in the song model's terms: the parts the mask names, new or repeated.
ScreamCell ModelCell(const StoredCell &stored, uint8_t mask) {
  ScreamCell cell;
  if (mask & (1 | 16))
    cell.note = ModelNote(stored.note);
  if (mask & (2 | 32))
    cell.instrument = stored.instrument;
  if (mask & (4 | 64))
    cell.volume = stored.volume <= ItLastVolume ? stored.volume : ScreamNoVolume;
  if ((mask & (8 | 128)) && stored.command <= ScreamCommands)
    cell.command = stored.command, cell.parameter = stored.command ? stored.parameter : 0;
  return cell;
}

// The packed rows of a pattern: a channel byte per cell (0 ends the row), a mask
// byte where the channel's mask changes, then the parts the mask names, each new or
// the channel's last. Calls visit(row, channel, cell) for each cell; false where
// the data ends before the rows do.
template <typename Visit> bool UnpackPattern(TByteReader data, size_t rows, Visit visit) {
  uint8_t mask[ItChannels] = {};
  StoredCell last[ItChannels];
  for (size_t row = 0; row < rows;) {
    const uint8_t what = data.U8();
    if (data.WentPastEnd())
      return false;
    if (what == EndOfRow) {
      ++row;
      continue;
    }
    const size_t channel = (what - 1u) & 63;
    if (what & 0x80)
      mask[channel] = data.U8();
    const uint8_t m = mask[channel];
    StoredCell &stored = last[channel];
    if (m & 1)
      stored.note = data.U8();
    if (m & 2)
      stored.instrument = data.U8();
    if (m & 4)
      stored.volume = data.U8();
    if (m & 8) {
      stored.command = data.U8();
      stored.parameter = data.U8();
    }
    visit(row, channel, ModelCell(stored, m));
  }
  return !data.WentPastEnd();
}

std::string Hex(const char *format, unsigned a, unsigned b) {
  char text[16];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Schism Tracker counts its versions in days from 2009-10-31.
std::string SchismDate(uint32_t days) {
  std::tm day{};
  day.tm_year = 2009 - 1900, day.tm_mon = 9, day.tm_mday = int(31 + std::min<uint32_t>(days, 100000));
  day.tm_hour = 12;
  std::mktime(&day);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &day);
  return text;
}

} // namespace

std::string ItTrackerName(uint16_t createdWith, uint16_t compatibleWith, uint32_t reserved) {
  const unsigned version = createdWith & 0x0FFF;
  switch (createdWith >> 12) {
  case 0:
    if (createdWith == 0x0214 && compatibleWith == 0x0202)
      return "ModPlug Tracker";
    if (createdWith == 0x0888 || (createdWith == 0x0217 && compatibleWith == 0x0200))
      return "OpenMPT 1.17";
    return "Impulse Tracker " + Hex("%x.%02x", version >> 8, version & 0xFF);
  case 1:
    if (version == 0x0FFF)
      return "Schism Tracker " + SchismDate(reserved);
    if (version > 0x050)
      return "Schism Tracker " + SchismDate(version - 0x050);
    return "Schism Tracker " + Hex("%x.%02x", version >> 8, version & 0xFF);
  case 5:
    if (reserved >> 16)
      return "OpenMPT " + Hex("%x.%02X", reserved >> 24, reserved >> 16 & 0xFF) +
             Hex(".%02X.%02X", reserved >> 8 & 0xFF, reserved & 0xFF);
    return "OpenMPT " + Hex("%x.%02x", version >> 8, version & 0xFF);
  case 6: return "BeRoTracker";
  default: return "IT tracker " + Hex("%02X%02X", createdWith >> 8, createdWith & 0xFF);
  }
}

bool LooksLikeIt(const uint8_t *bytes, size_t size) {
  return size >= 4 && std::memcmp(bytes, "IMPM", 4) == 0;
}

namespace {

class TItParse {
public:
  TItParse(const uint8_t *bytes, size_t size, ItReading &out) : file(bytes, size), out(out) {}

  void Run() {
    ReadHeader();
    if (file.WentPastEnd())
      return Fail(ItReading::Truncated, "the file ends inside its header");
    ReadTables();
    if (file.WentPastEnd())
      return Fail(ItReading::Truncated, "the file ends inside its order list and offsets");
    if (!ScreamPlaysAPattern(orders))
      return Fail(ItReading::Refused, "it plays no pattern");
    if (!ReadSamples())
      return Fail(ItReading::Truncated, "a sample header lies beyond the end of the file");
    if (framesTaken > MostFramesPerFileByte * file.Size())
      return Fail(ItReading::Refused, "its samples claim more data than the file holds");
    if (Instruments() && !ReadInstruments())
      return Fail(ItReading::Truncated, "an instrument lies beyond the end of the file");
    if (!ReadPatterns())
      return Fail(ItReading::Truncated, "the file ends inside its patterns");
    SetSong();
    LeaveOutUnmappedNotes();
    MakeInstruments();
    MoveNotesOfShiftedInstruments();
    out.description = Description();
    out.outcome = ItReading::Read;
  }

private:
  void Fail(ItReading::Outcome outcome, std::string why) {
    out.outcome = outcome;
    out.refusal = std::move(why);
  }

  bool Instruments() const { return header.flags & ItFlag::Instruments; }

  void ReadHeader() {
    file.Seek(4);
    header.name = file.Bytes(NameBytes);
    file.Seek(0x20);
    header.orderCount = file.U16();
    header.instrumentCount = file.U16();
    header.sampleCount = file.U16();
    header.patternCount = file.U16();
    header.createdWith = file.U16();
    header.compatibleWith = file.U16();
    header.flags = file.U16();
    file.U16(); // special: message, MIDI configuration
    header.globalVolume = std::min<uint8_t>(file.U8(), 128);
    header.mixVolume = std::min<uint8_t>(file.U8(), 128);
    header.speed = file.U8();
    header.tempo = file.U8();
    header.separation = std::min<uint8_t>(file.U8(), 128);
    file.Skip(1 + 2 + 4); // pitch wheel depth, message length and offset
    header.reserved = file.U32();
    for (uint8_t &p : header.channelPanning)
      p = file.U8();
    for (uint8_t &v : header.channelVolume)
      v = std::min<uint8_t>(file.U8(), 64);
  }

  void ReadTables() {
    file.Seek(ItHeaderBytes);
    for (size_t i = 0; i < header.orderCount; ++i) {
      const uint8_t order = file.U8();
      if (i < MostOrders)
        orders.push_back(order);
    }
    for (size_t i = 0; i < header.instrumentCount; ++i)
      instrumentOffsets.push_back(file.U32());
    for (size_t i = 0; i < header.sampleCount; ++i)
      sampleOffsets.push_back(file.U32());
    for (size_t i = 0; i < header.patternCount; ++i)
      patternOffsets.push_back(file.U32());
  }

  bool ReadSamples() {
    for (uint32_t offset : sampleOffsets) {
      if (uint64_t(offset) + ItSampleHeaderBytes > file.Size())
        return false;
      ItSampleReading read = ReadItSample(file, offset);
      if (read.cutShort)
        out.losses.cutShort = true;
      out.losses.unknownCodecs += read.unknownCodec;
      out.losses.stereoSamples += read.sample.stereo && !read.sample.frames.empty();
      framesTaken += read.sample.frames.size();
      if (framesTaken > MostFramesPerFileByte * file.Size())
        return true; // refused by the caller before more is taken
      samples.push_back(std::move(read.sample));
    }
    return true;
  }

  // XM's 255 at most: those beyond are left out, and take no memory.
  bool ReadInstruments() {
    for (uint32_t offset : instrumentOffsets) {
      if (instruments.size() == XmMostInstruments)
        break;
      bool cutShort = false;
      instruments.push_back(
          ReadItInstrument(file, offset, header.compatibleWith < ItNewInstrumentFormat, cutShort));
      if (cutShort)
        return false;
    }
    return true;
  }

  // The patterns the orders play, numbered in the order they are first played;
  // the stored numbers of the others play nothing and take no memory.
  bool ReadPatterns() {
    std::vector<int> newNumber(256, -1);
    for (uint8_t order : orders) {
      if (order == ScreamSkipOrder || order == ScreamEndOrder) {
        song().orders.push_back(order);
        continue;
      }
      int &number = newNumber[order];
      if (number < 0) {
        number = int(storedNumbers.size());
        storedNumbers.push_back(order);
      }
      song().orders.push_back(uint8_t(number));
    }
    FindChannels();
    for (uint8_t stored : storedNumbers)
      if (!ReadPattern(stored))
        return false;
    return true;
  }

  // Where a stored pattern's packed data starts, and its rows; 0 rows for none.
  bool PatternAt(uint8_t stored, TByteReader &data, size_t &rows) {
    rows = 0;
    if (stored >= patternOffsets.size() || patternOffsets[stored] == 0)
      return true;
    data = file;
    data.Seek(patternOffsets[stored]);
    const uint16_t length = data.U16();
    rows = data.U16();
    data.Skip(4);
    if (data.WentPastEnd() || data.Remaining() < length)
      return false;
    data = data.Part(length);
    return true;
  }

  // The channels that hold something, up to the last; channels the file turns off
  // are not heard.
  void FindChannels() {
    size_t used = 0;
    for (uint8_t stored : storedNumbers) {
      TByteReader data = file;
      size_t rows;
      if (!PatternAt(stored, data, rows) || rows == 0)
        continue;
      UnpackPattern(data, std::min(rows, MostRows), [&](size_t, size_t channel, const ScreamCell &) {
        if (!(header.channelPanning[channel] & ItChannelOff))
          used = std::max(used, channel + 1);
      });
    }
    channels = std::max<size_t>(used, 1);
  }

  bool ReadPattern(uint8_t stored) {
    ScreamPattern pattern;
    TByteReader data = file;
    size_t rows;
    if (!PatternAt(stored, data, rows))
      return false;
    if (rows > MostRows)
      ++out.losses.longPatterns;
    pattern.rows = uint16_t(rows == 0 ? EmptyPatternRows : std::min(rows, MostRows));
    pattern.cells.assign(size_t(pattern.rows) * channels, ScreamCell{});
    if (rows && !UnpackPattern(data, pattern.rows, [&](size_t row, size_t channel, const ScreamCell &cell) {
          if (channel < channels && !(header.channelPanning[channel] & ItChannelOff))
            pattern.cells[row * channels + channel] = cell;
        }))
      return false;
    song().patterns.push_back(std::move(pattern));
    return true;
  }

  ScreamSong &song() { return out.song; }
  const ScreamSong &song() const { return out.song; }

  void SetSong() {
    ScreamSong &s = song();
    s.tracker = ScreamTracker::ImpulseTracker;
    s.flags.linearSlides = header.flags & ItFlag::LinearSlides;
    s.flags.oldEffects = header.flags & ItFlag::OldEffects;
    s.flags.compatibleGxx = header.flags & ItFlag::CompatibleGxx;
    s.flags.mono = !(header.flags & ItFlag::Stereo);
    s.xm.name = header.name.substr(0, 20);
    s.xm.name.resize(20, '\0');
    s.xm.tracker = ItTrackerName(header.createdWith, header.compatibleWith, header.reserved).substr(0, 20);
    s.xm.tracker.resize(20, '\0');
    s.xm.flags = s.flags.linearSlides ? LinearFrequencyFlag : 0;
    s.xm.tempo = header.speed ? header.speed : 6;
    s.xm.bpm = header.tempo >= 32 ? header.tempo : 125;
    s.globalVolume = header.globalVolume;
    s.mixVolume = header.mixVolume;
    for (size_t c = 0; c < channels; ++c) {
      s.channelPanning.push_back(ChannelPanning(header.channelPanning[c]));
      s.channelVolume.push_back(header.channelVolume[c]);
    }
  }

  // 0..64 as XM's 0..255, drawn towards the centre by the song's separation.
  uint8_t ChannelPanning(uint8_t stored) const {
    if (song().flags.mono || (stored & 0x7F) > 64)
      return 0x80; // surround plays in the centre
    const int xm = std::min(255, (stored & 0x7F) * 4);
    return uint8_t(0x80 + (xm - 0x80) * header.separation / 128);
  }

  // Calls visit(cell, instrument, channel) for the notes of each pattern in order-list
  // order, with the instrument (or, without instruments, the sample) each plays: the
  // cell's, or the one last named on its channel.
  template <typename Visit> void ForEachNote(Visit visit) {
    std::vector<uint8_t> playing(channels, 0);
    std::vector<bool> seen(song().patterns.size(), false);
    for (uint8_t order : song().orders) {
      if (order >= song().patterns.size() || seen[order])
        continue;
      seen[order] = true;
      ScreamPattern &p = song().patterns[order];
      for (size_t i = 0; i < p.cells.size(); ++i) {
        ScreamCell &cell = p.cells[i];
        if (cell.instrument)
          playing[i % channels] = cell.instrument;
        if (cell.note >= 1 && cell.note <= ScreamLastNote && playing[i % channels])
          visit(cell, playing[i % channels], i % channels);
      }
    }
  }

  // Impulse Tracker ignores a note whose key its instrument's keyboard maps to no
  // sample, and the note before it plays on; XM would stop that one.
  void LeaveOutUnmappedNotes() {
    if (!Instruments())
      return;
    ForEachNote([&](ScreamCell &cell, uint8_t instrument, size_t) {
      if (instrument <= instruments.size() && instruments[instrument - 1u].keyboardSample[cell.note - 1u] == 0)
        cell.note = ScreamNoNote, cell.instrument = 0;
    });
  }

  // The notes each instrument plays, and the panning of the channel that plays it
  // most, which its samples take where they have none of their own: XM sets a
  // sample's panning with every note that names its instrument.
  std::vector<ItInstrumentUse> Uses(size_t count) {
    std::vector<ItInstrumentUse> uses(count);
    std::vector<std::vector<size_t>> notesOnChannel(count, std::vector<size_t>(channels, 0));
    ForEachNote([&](const ScreamCell &cell, uint8_t instrument, size_t channel) {
      if (instrument > count)
        return;
      uses[instrument - 1].notes.set(cell.note - 1u);
      ++notesOnChannel[instrument - 1][channel];
    });
    for (size_t i = 0; i < count; ++i) {
      const auto most = std::max_element(notesOnChannel[i].begin(), notesOnChannel[i].end());
      if (*most)
        uses[i].channelPanning = song().channelPanning[size_t(most - notesOnChannel[i].begin())];
    }
    return uses;
  }

  void MakeInstruments() {
    const double gain = MixGain(header.mixVolume);
    const size_t count = Instruments() ? instrumentOffsets.size() : samples.size();
    const size_t kept = std::min<size_t>(count, XmMostInstruments);
    out.losses.tooManyInstruments = count - kept;
    std::vector<ItInstrumentUse> uses = Uses(kept);
    for (size_t i = 0; i < kept; ++i) {
      XmInstrumentMade made;
      if (Instruments()) {
        const ScreamNoteActions &actions = instruments[i].actions;
        uses[i].fades = actions.newNote == ScreamNewNoteAction::NoteFade ||
                        (actions.duplicateCheck != ScreamDuplicateCheck::Off &&
                         actions.duplicateAction == ScreamNewNoteAction::NoteFade);
        made = MakeXmInstrument(instruments[i], samples, uses[i], gain, out.losses);
        song().noteActions.push_back(actions);
      } else {
        made = MakeSampleInstrument(samples, uint8_t(i + 1), uses[i], gain, out.losses);
      }
      shifts.push_back(made.octaveShift);
      song().instrumentPanning.push_back(SetsPanning(i));
      song().xm.instruments.push_back(std::move(made.instrument));
    }
    for (ItSample &s : samples) {
      out.losses.bothLoops += s.loop.Exists() && s.sustainLoop.Exists();
      std::vector<int16_t>().swap(s.frames); // the XM samples have them now
    }
  }

  // Whether notes of XM instrument `i` set their channel's panning: the instrument's
  // or a sample's default panning.
  bool SetsPanning(size_t i) const {
    if (!Instruments())
      return samples[i].usesPanning;
    const ItInstrument &instrument = instruments[i];
    if (instrument.usesPanning)
      return true;
    for (uint8_t s : instrument.keyboardSample)
      if (s && s <= samples.size() && samples[s - 1].usesPanning)
        return true;
    return false;
  }

  // Notes of instruments that play an octave or more higher in XM move down as far.
  void MoveNotesOfShiftedInstruments() {
    if (std::none_of(shifts.begin(), shifts.end(), [](int s) { return s != 0; }))
      return;
    ForEachNote([&](ScreamCell &cell, uint8_t instrument, size_t) {
      if (instrument > shifts.size() || shifts[instrument - 1u] == 0)
        return;
      const int moved = cell.note - 12 * shifts[instrument - 1u];
      if (moved < 1)
        ++out.losses.notesBelowRange;
      cell.note = moved < 1 ? ScreamNoNote : uint8_t(moved); // those still too high warn where mapped
    });
  }

  std::string Description() const {
    std::string text = std::to_string(channels) + "-channel " +
                       ItTrackerName(header.createdWith, header.compatibleWith, header.reserved) +
                       " IT module, ";
    if (Instruments())
      text += std::to_string(instrumentOffsets.size()) +
              (instrumentOffsets.size() == 1 ? " instrument, " : " instruments, ");
    return text + std::to_string(samples.size()) + (samples.size() == 1 ? " sample" : " samples");
  }

  TByteReader file;
  ItReading &out;
  ItHeader header;
  std::vector<uint8_t> orders;
  std::vector<uint32_t> instrumentOffsets, sampleOffsets, patternOffsets;
  std::vector<uint8_t> storedNumbers; // the stored number of each pattern read
  std::vector<ItSample> samples;
  std::vector<ItInstrument> instruments;
  std::vector<int> shifts; // per XM instrument: the octaves its notes move down
  size_t channels = 1;
  uint64_t framesTaken = 0;
};

} // namespace

ItReading ReadIt(const uint8_t *bytes, size_t size) {
  ItReading out;
  TItParse(bytes, size, out).Run();
  return out;
}
