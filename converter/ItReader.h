#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ItLosses.h"
#include "ScreamSong.h"

// Reads an IT module as Impulse Tracker stores it: the header with its flags,
// volumes and channel settings, the orders, the samples (ItSamples.h) and
// instruments (ItInstruments.h) made into XM instruments for the notes the song
// plays, and the packed patterns the orders play. Every count and offset is checked
// against the file before anything is made of it.
struct ItReading {
  enum Outcome { Read, Truncated, Refused } outcome = Refused;
  ScreamSong song;
  ItLosses losses;
  std::string description; // "12-channel Impulse Tracker 2.14 IT module, 9 instruments, 14 samples"
  std::string refusal;     // for Refused and Truncated: what is wrong
};

ItReading ReadIt(const uint8_t *bytes, size_t size);

bool LooksLikeIt(const uint8_t *bytes, size_t size);

// "Impulse Tracker 2.14", "Schism Tracker 2010-04-25", "OpenMPT 1.29.0A.00", from the
// header's Cwt/v and Cmwt and the version some trackers keep in its reserved field.
std::string ItTrackerName(uint16_t createdWith, uint16_t compatibleWith, uint32_t reserved);
