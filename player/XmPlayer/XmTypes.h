#pragma once
#include <cstdint>

#include "XmFormat.h"

// The loaded module and the replay state of the one song the music unit plays.
// Record layouts follow the order in which the loader and the replay fill them.

struct XmCell {
  uint8_t note;       // 0 none, 1..LastNote notes, KeyOffNote and above key-off
  uint8_t instrument; // 1-based, 0 none
  uint8_t volume;     // volume column byte
  uint8_t effect;
  uint8_t parameter;
};
static_assert(sizeof(XmCell) == 5, "cells are five bytes");

struct XmPattern {
  uint16_t rows;
  uint16_t packedSize;
  XmCell *cells; // rows x channelCount, row-major
};

struct XmSample {
  uint32_t length;     // frames
  uint32_t loopStart;  // frames
  uint32_t loopLength; // frames
  uint8_t volume;
  int8_t finetune;
  uint8_t is16Bit;
  uint8_t panning;
  int8_t relativeNote;
  uint8_t packing;
  uint8_t loopType; // NoLoop, ForwardLoop, PingPongLoop (3 kept as stored)
  uint8_t spare;
  int16_t data[1]; // length + SampleSpareValues values: the sound, then guard and spare
};

// Behind the sound: the guard value, the interpolation's neighbour of the last
// frame, and room for the mixer to read sixteen values from any frame it plays.
constexpr uint32_t SampleSpareValues = 16;

struct XmEnvelopePoint {
  uint16_t x;
  uint16_t y;
};

struct XmInstrument {
  XmSample *samples[16];
  // The 208 bytes below are read from the file as they stand.
  uint8_t keymap[96];
  XmEnvelopePoint volumeEnvelope[12];
  XmEnvelopePoint panningEnvelope[12];
  uint8_t volumePointCount;
  uint8_t panningPointCount;
  uint8_t volumeSustain;
  uint8_t volumeLoopStart;
  uint8_t volumeLoopEnd;
  uint8_t panningSustain;
  uint8_t panningLoopStart;
  uint8_t panningLoopEnd;
  uint8_t volumeType; // EnvelopeOn, EnvelopeSustain, EnvelopeLoop
  uint8_t panningType;
  uint8_t vibratoType;
  uint8_t vibratoSweep;
  uint8_t vibratoDepth;
  uint8_t vibratoRate;
  uint16_t fadeout;
};

struct MixVoice {
  int32_t finalVolume;
  int32_t finalPanning; // 0 left .. 255 right
  int32_t targetRight;
  int32_t targetLeft;
  uint32_t position;
  uint32_t stepFraction;
  uint32_t stepInteger; // step = frames of sample per output frame, 32.32
  uint16_t lastTargetRight;
  uint16_t lastTargetLeft;
  int32_t rampStepRight;
  int32_t rampStepLeft;
  const XmSample *sample; // null: idle
  uint32_t fraction;
  int32_t currentRight; // gain x 128
  int32_t currentLeft;
  uint16_t rampRemaining;
  uint8_t backward;
};

// updateFlags bits: what the channel's tick hands to its voice. Rewind restarts the
// sound playing from its first frame.
enum : uint8_t { UpdatePitch = 1, UpdateVolume = 2, UpdatePanning = 4, UpdateTrigger = 8, UpdateRewind = 16 };

struct ReplayChannel {
  uint8_t keyNote;
  uint8_t updateFlags;
  uint8_t instrumentIndex;
  MixVoice *voice;
  int32_t period;
  int32_t volume;
  int32_t volumeDelta;
  int32_t periodDelta;
  int32_t panning;
  int32_t volEnvTick, volEnvPoint, volEnvSlope;
  int32_t panEnvTick, panEnvPoint, panEnvSlope;
  int32_t autoVibratoSweep;
  int32_t autoVibratoPos;
  uint8_t released;
  uint8_t volEnvFinished, panEnvFinished;
  int32_t volEnvValue16, volEnvValue;
  int32_t fadeoutVolume;
  int32_t panEnvValue16, panEnvValue;
  int32_t notePeriod;
  uint32_t sampleOffset;
  uint32_t startOffset; // where the next triggered note starts
  int32_t portaTarget;
  uint8_t loopCount;
  int32_t loopRow;
  uint8_t realNote;
  uint8_t lastEffect;
  uint8_t portaSpeed;
  uint8_t extraFinePortaDown, extraFinePortaUp;
  uint8_t volumeSlide;
  uint8_t panSlide;
  uint8_t retrigVolumeMode, retrigInterval;
  uint8_t tonePortaSpeed;
  uint8_t vibratoPos, vibratoSpeed, vibratoDepth;
  uint8_t tremoloPos, tremoloSpeed, tremoloDepth;
  uint8_t tremorCount, tremorOn, tremorOff;
  uint8_t waveControl;
  int8_t fineVolumeSlide;
  uint8_t finePortaUp, finePortaDown;
};

struct ReplayState {
  XmPattern *patterns;
  XmInstrument *instruments;
  uint32_t tickSamplesLeft;
  int32_t globalVolume;
  int32_t tick;
  int32_t speed;
  int32_t order;
  int32_t row;
  int32_t patternDelayTicks;
  int32_t nextOrder;
  int32_t nextRow;
  int32_t channelCount;
  MixVoice *voices;
  ReplayChannel *channels;
  uint32_t samplesPerTick;
  // Header fields of the module.
  uint16_t songLength;
  uint16_t restartPosition;
  uint16_t storedChannelCount;
  uint8_t globalVolumeSlideMemory;
  uint16_t patternCount;
  uint16_t instrumentCount;
  uint16_t flags; // bit 0: linear frequencies
  uint16_t defaultTempo;
  uint16_t defaultBpm;
  uint8_t orderTable[256];
};

// Output format: 16-bit stereo at 48 kHz, in blocks of a ring.
constexpr uint32_t OutputRate = 48000;
constexpr uint32_t OutputChannels = 2;
constexpr uint32_t OutputSampleBits = 16;
constexpr uint32_t OutputFrameBytes = OutputChannels * OutputSampleBits / 8;
constexpr uint32_t BlockFrames = 1024;
constexpr uint32_t RingBlocks = 16;
