#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SongModel.h"

// A song as Scream Tracker 3 and Impulse Tracker store it, between reading and the
// XM: their commands A-Z with the parameters as stored (00 often meaning "the last
// one", which the tracker remembers), and their own volume column. The S3M and IT
// readers fill it; the steps the two formats share (parameter memory, new-note
// actions, volumes) work on it; one mapping turns it into the XM song.

// Notes: 1..120 are C-0..B-9; the others are events.
constexpr uint8_t ScreamNoNote = 0;
constexpr uint8_t ScreamNoteFade = 253; // Impulse Tracker: the note fades out
constexpr uint8_t ScreamNoteCut = 254;
constexpr uint8_t ScreamNoteOff = 255;
constexpr uint8_t ScreamNoVolume = 0xFF;
constexpr uint8_t ScreamLastNote = 120;

// The commands by letter: A is 1, Z is 26.
constexpr uint8_t ScreamCommand(char letter) { return uint8_t(letter - 'A' + 1); }
constexpr uint8_t ScreamCommands = 26;

struct ScreamCell {
  uint8_t note = ScreamNoNote;
  uint8_t instrument = 0;          // 1-based, 0 none
  uint8_t volume = ScreamNoVolume; // S3M: 0..64; IT: the volume-column byte 0..212
  uint8_t command = 0;             // 1 = A .. 26 = Z, 0 none
  // As stored, except C's row: a number in both formats (S3M stores it as two
  // decimal digits, which its reader turns into the number).
  uint8_t parameter = 0;
};

struct ScreamPattern {
  uint16_t rows = 64;
  std::vector<ScreamCell> cells; // rows x channels, row by row
};

enum class ScreamTracker : uint8_t { ScreamTracker3, ImpulseTracker };

// The song's flags that change what its commands do.
struct ScreamFlags {
  bool fastVolumeSlides = false; // Scream Tracker 3.00: volume slides on the first tick too
  bool amigaLimits = false;      // periods stay within the Amiga's
  bool oldEffects = false;       // Impulse Tracker's "old effects"
  bool compatibleGxx = false;    // Impulse Tracker's "compatible Gxx"
  bool linearSlides = false;     // Impulse Tracker's linear slides; Scream Tracker's are Amiga slides
  bool mono = false;             // Scream Tracker: every channel in the centre, panning commands unheard
};

// Impulse Tracker: what becomes of a note when the next one starts on its channel
// (new-note action), and of the notes still sounding from it that a new note
// duplicates (duplicate check and action). Scream Tracker cuts every note.
enum class ScreamNewNoteAction : uint8_t { Cut, Continue, NoteOff, NoteFade };
enum class ScreamDuplicateCheck : uint8_t { Off, Note, Sample, Instrument };
struct ScreamNoteActions {
  ScreamNewNoteAction newNote = ScreamNewNoteAction::Cut;
  ScreamDuplicateCheck duplicateCheck = ScreamDuplicateCheck::Off;
  ScreamNewNoteAction duplicateAction = ScreamNewNoteAction::Cut; // Cut, NoteOff or NoteFade
};

// Order entries that are no pattern.
constexpr uint8_t ScreamSkipOrder = 254; // "+++": play on with the next entry
constexpr uint8_t ScreamEndOrder = 255;  // "---": the song ends here

struct ScreamSong {
  ScreamTracker tracker = ScreamTracker::ScreamTracker3;
  ScreamFlags flags;
  Song xm; // name, tracker, instruments, speed and tempo, as the readers make them
  uint8_t globalVolume = 64;
  uint8_t mixVolume = 128;
  std::vector<uint8_t> orders;         // as stored: 254 is skipped, 255 ends the song
  std::vector<uint8_t> channelPanning; // per channel, 0..255 as in XM
  std::vector<uint8_t> channelVolume;  // per channel, 0..64 (Impulse Tracker)
  std::vector<ScreamPattern> patterns;
  std::vector<std::string> warnings;
  // Impulse Tracker, per instrument (1-based number - 1); empty for a song whose
  // notes all cut the one before.
  std::vector<ScreamNoteActions> noteActions;
  // Impulse Tracker, per instrument: its notes set the channel's panning to their
  // sample's (a default panning), where Scream Tracker keeps the channel's.
  std::vector<bool> instrumentPanning;
};

// Whether the orders play a pattern before they end.
inline bool ScreamPlaysAPattern(const std::vector<uint8_t> &orders) {
  for (uint8_t order : orders)
    if (order != ScreamSkipOrder)
      return order != ScreamEndOrder;
  return false;
}

inline size_t ScreamChannels(const ScreamSong &song) { return song.channelPanning.size(); }

inline ScreamCell *ScreamRow(ScreamPattern &pattern, size_t row, size_t channels) {
  return &pattern.cells[row * channels];
}
inline const ScreamCell *ScreamRow(const ScreamPattern &pattern, size_t row, size_t channels) {
  return &pattern.cells[row * channels];
}
