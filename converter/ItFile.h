#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ScreamSong.h"

// An Impulse Tracker file's parts as it stores them, before anything becomes XM.

constexpr size_t ItHeaderBytes = 0xC0;
constexpr size_t ItChannels = 64;
constexpr size_t ItSampleHeaderBytes = 0x50;
constexpr size_t ItInstrumentBytes = 554;
constexpr size_t ItKeyboardNotes = 120;
constexpr size_t ItEnvelopeNodes = 25;
constexpr uint16_t ItNewInstrumentFormat = 0x200; // Cmwt from which instruments have the new layout

namespace ItFlag {
constexpr uint16_t Stereo = 1;
constexpr uint16_t Instruments = 4;
constexpr uint16_t LinearSlides = 8;
constexpr uint16_t OldEffects = 16;
constexpr uint16_t CompatibleGxx = 32;
} // namespace ItFlag

// Channel panning: 0..64, 100 surround, and 128 added for a channel that is off.
constexpr uint8_t ItSurround = 100;
constexpr uint8_t ItChannelOff = 128;

struct ItHeader {
  std::string name;
  uint16_t orderCount = 0, instrumentCount = 0, sampleCount = 0, patternCount = 0;
  uint16_t createdWith = 0, compatibleWith = 0, flags = 0;
  uint8_t globalVolume = 128, mixVolume = 48, speed = 6, tempo = 125, separation = 128;
  uint32_t reserved = 0; // some trackers put their full version here
  uint8_t channelPanning[ItChannels] = {};
  uint8_t channelVolume[ItChannels] = {};
};

namespace ItSampleFlag {
constexpr uint8_t HasData = 1;
constexpr uint8_t SixteenBit = 2;
constexpr uint8_t Stereo = 4;
constexpr uint8_t Compressed = 8;
constexpr uint8_t Loop = 16;
constexpr uint8_t SustainLoop = 32;
constexpr uint8_t PingPongLoop = 64;
constexpr uint8_t PingPongSustainLoop = 128;
} // namespace ItSampleFlag

namespace ItSampleConversion {
constexpr uint8_t Signed = 1;
constexpr uint8_t BigEndian = 2;
constexpr uint8_t Delta = 4; // in compressed data: the 2.15 compression
} // namespace ItSampleConversion

struct ItLoop {
  uint32_t start = 0, end = 0; // frames, end exclusive
  bool pingPong = false;
  bool Exists() const { return end > start; }
};

// A sample as mono 16-bit frames (8-bit data in the high byte), with what plays it.
struct ItSample {
  std::string name;
  uint8_t globalVolume = 64, volume = 64, panning = 32; // 0..64
  bool usesPanning = false;
  bool sixteenBit = false, stereo = false;
  uint32_t c5Speed = 8363;
  ItLoop loop, sustainLoop;
  uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoSweep = 0, vibratoType = 0;
  std::vector<int16_t> frames;
};

struct ItEnvelopeNode {
  int8_t value = 0; // volume 0..64, panning and pitch -32..32
  uint16_t tick = 0;
};

struct ItEnvelope {
  bool on = false, loop = false, sustainLoop = false;
  bool filter = false; // the pitch envelope drives the filter instead
  bool carry = false;  // a new note goes on from where the last one's envelope is
  uint8_t loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0;
  std::vector<ItEnvelopeNode> nodes;
};

struct ItInstrument {
  std::string name;
  ScreamNoteActions actions;
  uint16_t fadeout = 0;       // per tick, out of 1024
  uint8_t globalVolume = 128; // 0..128
  uint8_t panning = 32;       // 0..64
  bool usesPanning = false;
  int8_t pitchPanSeparation = 0;
  uint8_t randomVolume = 0, randomPanning = 0;
  uint8_t filterCutoff = 0, filterResonance = 0; // bit 7 set: used
  uint8_t keyboardNote[ItKeyboardNotes] = {};    // 0..119
  uint8_t keyboardSample[ItKeyboardNotes] = {};  // 1-based, 0 none
  ItEnvelope volumeEnvelope, panningEnvelope, pitchEnvelope;
};
