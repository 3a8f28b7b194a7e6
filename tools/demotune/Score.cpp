#include "Score.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "Instruments.h"

namespace {

constexpr uint8_t C4 = 49, A3 = 46, KeyOff = 97;
constexpr int EchoDelayRows = 3;

// Effects and volume-column commands of the score.
enum : uint8_t {
  Arpeggio = 0x0,
  PitchDown = 0x2,
  Glide = 0x3,
  Vibrato = 0x4,
  VolumeSlide = 0xA,
  Extended = 0xE
};
constexpr uint8_t Retrigger3 = 0x93, GlideSpeed = 0x0A, VibratoShape = 0x55, FallSpeed = 0x04, PadFade = 0x10;
constexpr uint8_t SetVolume = 0x10, FallVolume = 0x63;

uint8_t volumeCommand(int volume) { return uint8_t(SetVolume + volume); }

void setEffect(XmCellSpec &cell, uint8_t effect, uint8_t parameter) {
  cell.effect = effect;
  cell.parameter = parameter;
}

int semitoneOfLetter(char letter) {
  static const int semitones[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
  if (letter < 'A' || letter > 'G')
    throw std::invalid_argument(std::string("not a note letter: ") + letter);
  return semitones[letter - 'A'];
}

struct Chord {
  int root; // semitone above C
  bool minor;
  // The lowest note of the root that is not below `lowest`, so each part keeps to its range.
  uint8_t rootFrom(uint8_t lowest) const { return uint8_t(lowest + (root - (lowest - 1) % 12 + 12) % 12); }
};

std::vector<Chord> parseChords(const char *text) {
  std::istringstream in(text);
  std::vector<Chord> chords;
  for (std::string name; in >> name;) {
    Chord chord{semitoneOfLetter(name[0]), name.back() == 'm'};
    if (name.size() > 1 && name[1] == '#')
      chord.root = (chord.root + 1) % 12;
    chords.push_back(chord);
  }
  if (chords.size() != PatternRows / BarRows)
    throw std::invalid_argument(std::string("wants a chord a bar: ") + text);
  return chords;
}

struct LeadNote {
  int row, rows;
  uint8_t note; // 0: a rest
  bool glide, fall;
};

uint8_t parseNote(const std::string &name) {
  const bool sharp = name.size() == 3 && name[1] == '#';
  return uint8_t(12 * (name.back() - '0') + semitoneOfLetter(name[0]) + (sharp ? 1 : 0) + 1);
}

std::vector<LeadNote> parsePhrase(const char *text) {
  std::istringstream in(text);
  std::vector<LeadNote> notes;
  int row = 0;
  for (std::string token; in >> token;) {
    if (token == "|")
      continue;
    LeadNote n{row, 0, 0, token[0] == '/', token.back() == 'v'};
    const std::string name = token.substr(n.glide ? 1 : 0, token.find(':') - (n.glide ? 1 : 0));
    n.rows = std::atoi(token.c_str() + token.find(':') + 1);
    n.note = name == "r" ? 0 : parseNote(name);
    notes.push_back(n);
    row += n.rows;
  }
  if (row != PatternRows)
    throw std::invalid_argument(std::string("phrase does not fill the pattern: ") + text);
  return notes;
}

void checkRhythm(const std::string &rhythm) {
  if (rhythm.size() != PatternRows)
    throw std::invalid_argument("rhythm does not fill the pattern: " + rhythm);
}

void writeKick(XmPatternSpec &p, const std::string &rhythm) {
  for (int row = 0; row < PatternRows; ++row)
    if (rhythm[row] == 'x')
      p.cell(row, KickTrack) = {C4, Kick, 0, 0, 0};
}

void writeSnare(XmPatternSpec &p, const std::string &rhythm) {
  for (int row = 0; row < PatternRows; ++row) {
    const char c = rhythm[row];
    XmCellSpec &cell = p.cell(row, SnareTrack);
    if (c == 'x' || c == 'r')
      cell = {C4, Snare, 0, uint8_t(c == 'r' ? Extended : 0), uint8_t(c == 'r' ? Retrigger3 : 0)};
    else if (c == 'g')
      cell = {C4, Snare, volumeCommand(22), 0, 0};
    else if (c >= '1' && c <= '9')
      cell = {C4, Snare, volumeCommand(7 * (c - '0') + 1), 0, 0};
  }
}

void writeHats(XmPatternSpec &p, const std::string &rhythm) {
  for (int row = 0; row < PatternRows; ++row) {
    XmCellSpec &cell = p.cell(row, HatTrack);
    if (rhythm[row] == 'c')
      cell = {C4, ClosedHat, uint8_t(row % 2 ? volumeCommand(20) : 0), 0, 0};
    else if (rhythm[row] == 'o')
      cell = {C4, OpenHat, 0, 0, 0};
    else if (rhythm[row] == 'C')
      cell = {A3, Crash, 0, 0, 0};
  }
}

void writeBass(XmPatternSpec &p, const std::string &rhythm, const std::vector<Chord> &chords) {
  for (int row = 0; row < PatternRows; ++row) {
    const uint8_t root = chords[row / BarRows].rootFrom(parseNote("C2"));
    XmCellSpec &cell = p.cell(row, BassTrack);
    if (rhythm[row] == 'r' || rhythm[row] == 'R')
      cell = {uint8_t(rhythm[row] == 'R' ? root + 12 : root), Bass, 0, 0, 0};
  }
}

// The arpeggio runs on every row the note is held, with the intervals of its chord.
void writeArp(XmPatternSpec &p, const std::string &rhythm, const std::vector<Chord> &chords) {
  uint8_t intervals = 0;
  for (int row = 0; row < PatternRows; ++row) {
    const Chord &chord = chords[row / BarRows];
    XmCellSpec &cell = p.cell(row, ArpTrack);
    if (rhythm[row] == 'x') {
      intervals = chord.minor ? 0x37 : 0x47;
      cell = {chord.rootFrom(parseNote("F4")), Arp, 0, Arpeggio, intervals};
    } else if (intervals) {
      setEffect(cell, Arpeggio, intervals);
    }
  }
}

void writePad(XmPatternSpec &p, const std::vector<Chord> &chords, bool fadeIn) {
  for (int bar = 0; bar < PatternRows / BarRows; ++bar)
    p.cell(bar * BarRows, PadTrack) = {chords[bar].rootFrom(parseNote("F3")), Pad, 0, 0, 0};
  if (!fadeIn)
    return;
  p.cell(0, PadTrack).volume = volumeCommand(0);
  for (int row = 0; row < BarRows / 2; ++row)
    setEffect(p.cell(row, PadTrack), VolumeSlide, PadFade);
}

// A glide spends its first two rows on tone portamento; a fall its last three on a
// pitch slide down while the volume sinks; rows between carry vibrato on long notes.
void writeLeadNote(XmPatternSpec &p, const LeadNote &n) {
  XmCellSpec &start = p.cell(n.row, LeadTrack);
  if (!n.note) {
    start.note = KeyOff;
    return;
  }
  start = {n.note, uint8_t(n.glide ? 0 : Lead), 0, 0, 0};
  const int glideRows = n.glide ? 2 : 0, fallRows = n.fall ? 3 : 0;
  for (int i = 0; i < n.rows; ++i) {
    XmCellSpec &cell = p.cell(n.row + i, LeadTrack);
    if (i < glideRows) {
      setEffect(cell, Glide, GlideSpeed);
    } else if (i >= n.rows - fallRows) {
      setEffect(cell, PitchDown, FallSpeed);
      cell.volume = FallVolume;
    } else if (n.rows >= 6 && i >= 2) {
      setEffect(cell, Vibrato, VibratoShape);
    }
  }
}

void writeEcho(XmPatternSpec &p) {
  for (int row = PatternRows - 1; row >= EchoDelayRows; --row) {
    XmCellSpec echo = p.cell(row - EchoDelayRows, LeadTrack);
    if (echo.instrument == Lead)
      echo.instrument = Echo;
    p.cell(row, EchoTrack) = echo;
  }
}

} // namespace

void writeSection(XmPatternSpec &pattern, const Section &section) {
  const std::vector<Chord> chords = parseChords(section.chords);
  for (const std::string *rhythm :
       {&section.kick, &section.snare, &section.hats, &section.bass, &section.arp})
    checkRhythm(*rhythm);
  writeKick(pattern, section.kick);
  writeSnare(pattern, section.snare);
  writeHats(pattern, section.hats);
  writeBass(pattern, section.bass, chords);
  writeArp(pattern, section.arp, chords);
  writePad(pattern, chords, section.padFadesIn);
  for (const LeadNote &n : parsePhrase(section.lead))
    writeLeadNote(pattern, n);
  writeEcho(pattern);
}
