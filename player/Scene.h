#pragma once
#include <cstdint>

#include "StreamUnit/ByteString.h"

// The scene's motion: a starfield flying towards the viewer and a scroll text that a
// sine wave displaces. Everything advances by a fixed step per frame and the random
// numbers start from the same seed on every run, so every run shows the same frames.

struct Star {
  float x, y, z;
  float prevX, prevY, prevZ;
};

constexpr int StarCount = 256;
constexpr int WaveTableSize = 360;

extern Star Stars[StarCount];
extern float StarSpeed[StarCount];
extern float WaveTable[WaveTableSize];
// Fixed for every intro: constants, so they take no initialised data.
constexpr int32_t WaveDivisor = 10;
extern int32_t FramePhase;
constexpr int32_t PhaseStep = 5;
extern float ScrollOffset;
extern float ScrollSpeed;
extern uint32_t RandomSeed;

// 0 .. n - 1 from a linear congruential generator that is never reseeded.
uint32_t RandomBelow(uint32_t n);
void BuildWaveTable();
// "a" to "z" become "A" to "Z"; every other byte stays.
TByteString UpperAscii(const TByteString &text);

// Starting values, in the order the scene's set-up needs them: the star speeds are
// the run's first random numbers.
void PickStarSpeeds();
void StartScroller();

// The wave value for a phase, which may be negative or past the table's end.
float WaveAt(int32_t phase);

struct Offset3 {
  float x, y, z;
};
// How far a glyph moves for wave value `d` along the axes that `scrollType` names.
Offset3 WaveDisplacement(int32_t scrollType, float d);

// One frame's step of all motion, taken after the frame has been drawn.
void AdvanceMotion();

// Glyph `index` (from 0) of a row of `count` glyphs: its square around the row's
// centre and its cell of the font texture. False for control characters, which
// leave their place empty.
struct GlyphQuad {
  float left, right, bottom, top;
  float s0, s1;
};
bool GlyphQuadAt(int32_t index, int32_t count, uint8_t code, GlyphQuad &quad);
