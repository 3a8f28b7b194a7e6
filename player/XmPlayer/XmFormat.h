#pragma once
#include <cstdint>

// The numbers of the XM format as the replay reads them, and the fixed-point units
// the replay and the mixer share.

// The file layout the loader reads, which the converter writes: a 1.04 file with
// 9-byte pattern headers, instrument headers of 33 bytes before the 208-byte body
// (keymap, envelopes, vibrato, fadeout) of an instrument with samples, and 40-byte
// sample headers.
constexpr uint16_t XmCurrentVersion = 0x0104;
constexpr uint32_t XmPatternHeaderBytes = 9;
constexpr uint32_t XmInstrumentHeadBytes = 33;
constexpr uint32_t XmInstrumentBodyBytes = 208;
constexpr uint32_t XmInstrumentHeaderBytes = XmInstrumentHeadBytes + 22 + XmInstrumentBodyBytes;
constexpr uint32_t XmSampleHeaderBytes = 40;
constexpr uint32_t XmKeymapNotes = 96;
// The most samples an instrument may have, and the longest sample, in frames.
constexpr uint32_t XmMaxInstrumentSamples = 16;
constexpr uint32_t XmMaxSampleFrames = 1u << 22;

// Effect column commands; letters past F count on from 16 (G is 16, X is 33).
namespace XmEffect {
constexpr uint8_t Arpeggio = 0x0;
constexpr uint8_t PortamentoUp = 0x1;
constexpr uint8_t PortamentoDown = 0x2;
constexpr uint8_t TonePortamento = 0x3;
constexpr uint8_t Vibrato = 0x4;
constexpr uint8_t TonePortamentoVolumeSlide = 0x5;
constexpr uint8_t VibratoVolumeSlide = 0x6;
constexpr uint8_t Tremolo = 0x7;
constexpr uint8_t SetPanning = 0x8;
constexpr uint8_t SampleOffset = 0x9;
constexpr uint8_t VolumeSlide = 0xA;
constexpr uint8_t PositionJump = 0xB;
constexpr uint8_t SetVolume = 0xC;
constexpr uint8_t PatternBreak = 0xD;
constexpr uint8_t Extended = 0xE;
constexpr uint8_t SpeedOrTempo = 0xF;
constexpr uint8_t SetGlobalVolume = 16;     // G
constexpr uint8_t GlobalVolumeSlide = 17;   // H
constexpr uint8_t KeyOff = 20;              // K
constexpr uint8_t EnvelopePosition = 21;    // L
constexpr uint8_t PanningSlide = 25;        // P
constexpr uint8_t MultiRetrigger = 27;      // R
constexpr uint8_t Tremor = 29;              // T
constexpr uint8_t ExtraFinePortamento = 33; // X
constexpr uint8_t LastKnown = 33;
} // namespace XmEffect

// The high nibble of an Exy parameter.
namespace XmExtended {
constexpr uint8_t FinePortamentoUp = 0x1;
constexpr uint8_t FinePortamentoDown = 0x2;
constexpr uint8_t VibratoWaveform = 0x4;
constexpr uint8_t SetFinetune = 0x5;
constexpr uint8_t PatternLoop = 0x6;
constexpr uint8_t TremoloWaveform = 0x7;
constexpr uint8_t SetPanning = 0x8;
constexpr uint8_t Retrigger = 0x9;
constexpr uint8_t FineVolumeUp = 0xA;
constexpr uint8_t FineVolumeDown = 0xB;
constexpr uint8_t NoteCut = 0xC;
constexpr uint8_t NoteDelay = 0xD;
constexpr uint8_t PatternDelay = 0xE;
} // namespace XmExtended

// The high nibble of an X1y / X2y parameter.
namespace XmExtraFine {
constexpr uint8_t Up = 0x1;
constexpr uint8_t Down = 0x2;
} // namespace XmExtraFine

// The volume column: bytes 0x10..0x50 set the volume, the others name a command by
// their high nibble.
namespace XmVolumeColumn {
constexpr uint8_t SetFirst = 0x10;
constexpr uint8_t SetLast = 0x50;
constexpr uint8_t SlideDown = 0x6;
constexpr uint8_t SlideUp = 0x7;
constexpr uint8_t FineSlideDown = 0x8;
constexpr uint8_t FineSlideUp = 0x9;
constexpr uint8_t VibratoSpeed = 0xA;
constexpr uint8_t Vibrato = 0xB;
constexpr uint8_t SetPanning = 0xC;
constexpr uint8_t PanningSlideLeft = 0xD;
constexpr uint8_t PanningSlideRight = 0xE;
constexpr uint8_t TonePortamento = 0xF;
} // namespace XmVolumeColumn

// Notes: 1..96 play, 97 and above release the key.
constexpr uint8_t LastNote = 96;
constexpr uint8_t KeyOffNote = 97;

// The song's flags: linear rather than Amiga frequencies.
constexpr uint16_t LinearFrequencyFlag = 1;

// Sample loop types.
constexpr uint8_t NoLoop = 0;
constexpr uint8_t ForwardLoop = 1;
constexpr uint8_t PingPongLoop = 2;

// Envelope type bits.
constexpr uint8_t EnvelopeOn = 1;
constexpr uint8_t EnvelopeSustain = 2;
constexpr uint8_t EnvelopeLoop = 4;

// Fixed-point units: sample positions are 32.32 frames, envelope values 16.16, and
// the fadeout volume runs down from 16.16 one.
constexpr uint32_t PositionShift = 32;
constexpr int32_t EnvelopeFractionBits = 16;
constexpr int32_t EnvelopeOne = 1 << EnvelopeFractionBits;
constexpr int32_t FullFadeout = 1 << 16;
