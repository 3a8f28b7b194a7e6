#pragma once
#include <cstddef>
#include <cstdint>

#include "SongModel.h"

// The BPM a 15-sample file's tempo byte sets; 0 where it leaves the vertical
// blank's 125 (0, the usual 120, and 240 or more).
constexpr uint8_t DefaultTempoByte = 120;
unsigned SoundtrackerBpm(uint8_t tempoByte);

// How long one pass of a converted MOD lasts, from order 0 until the song ends or
// comes back to a row it has played (pattern loops aside). Every Fxx of 32 and above
// is a BPM, or with `tempoAsSpeed` a speed.
double SecondsOfOnePass(const Song &song, bool tempoAsSpeed);

// MOD files from trackers that timed their ticks by the vertical blank read every
// Fxx as a speed. With BPM such a song runs on for longer than this, and longer than
// it does with speeds, which is how players tell them apart.
constexpr double LongestCiaTimedSong = 10 * 60;

// Reads the song's Fxx as speeds. XM names speeds up to 31; a slower one becomes
// speed 31 at the BPM that gives its rows the same length, set on a channel added
// for it, which also brings back BPM 125 wherever the speed changes again. Below BPM
// 32 a second added channel delays the row by whole rows as well. Returns how many
// Fxx were slower than 31.
size_t ReadTempoCommandsAsSpeeds(Song &song);
