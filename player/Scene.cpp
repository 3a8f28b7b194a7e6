#include "Scene.h"

#include <cmath>

#include "UTypes.h"

Star Stars[StarCount];
float StarSpeed[StarCount];
float WaveTable[WaveTableSize];
int32_t FramePhase = 0;
float ScrollOffset = 0;
float ScrollSpeed = 0;
uint32_t RandomSeed = 0;

namespace {
constexpr float StarRestartDepth = 10.0f;
constexpr float ScrollWrapOffset = 10.0f;
constexpr float ScrollStartOffset = 1.0f;
constexpr float GlyphSize = 0.08f;
constexpr float HalfGlyph = 0.04f;
constexpr uint8_t FirstGlyphCode = 32;
constexpr int FontCells = 66;

float RandomSpeed() { return float(RandomBelow(100)) / 1000.0f; }

// -1.0 .. 0.99 across the field.
float RandomSpread() { return float(int32_t(RandomBelow(200)) - 100) / 100.0f; }

void RestartStar(Star &star, float &speed) {
  speed = RandomSpeed();
  star.x = RandomSpread();
  star.y = 0;
  star.z = RandomSpread();
  star.prevX = star.x;
  star.prevY = star.y;
  star.prevZ = star.z;
}

void MoveStar(Star &star, float &speed) {
  star.prevX = star.x;
  star.prevY = star.y;
  star.prevZ = star.z;
  star.y += speed;
  if (star.y >= StarRestartDepth)
    RestartStar(star, speed);
}

void AdvanceScroll() {
  // Counted unsigned, so the wrap after 2^31 frames is defined: the same values.
  FramePhase = int32_t(uint32_t(FramePhase) + 1u);
  ScrollOffset += ScrollSpeed;
  if (ScrollOffset > ScrollWrapOffset)
    ScrollOffset = ScrollStartOffset;
}
} // namespace

uint32_t RandomBelow(uint32_t n) {
  RandomSeed = RandomSeed * 134775813u + 1u;
  return uint32_t((uint64_t(RandomSeed) * n) >> 32);
}

namespace {
#if defined(_WIN32) && defined(__i386__)
// The x87 instruction that the C run-time's sinl comes down to for these arguments,
// without the run-time's error handling around it (about 700 bytes of the intro).
long double ExtendedSine(long double x) {
  long double y;
  __asm__("fsin" : "=t"(y) : "0"(x));
  return y;
}
#else
long double ExtendedSine(long double x) { return sinl(x); }
#endif
} // namespace

void BuildWaveTable() {
  const long double pi = 3.14159265358979323846264338327950288L;
  for (int i = 0; i < WaveTableSize; i++)
    WaveTable[i] = float(ExtendedSine(i * pi / 40) / WaveDivisor);
}

TByteString UpperAscii(const TByteString &text) {
  TByteString upper = text;
  char *bytes = upper.Data();
  for (int32_t i = 0; i < upper.Length(); i++)
    if (bytes[i] >= 'a' && bytes[i] <= 'z')
      bytes[i] = char(bytes[i] - 'a' + 'A');
  return upper;
}

void PickStarSpeeds() {
  for (float &speed : StarSpeed)
    speed = RandomSpeed();
}

void StartScroller() {
  ScrollSpeed = 0.005f;
  BuildWaveTable();
  ScrollOffset = ScrollStartOffset;
}

float WaveAt(int32_t phase) {
  int32_t index = phase % WaveTableSize;
  if (index < 0)
    index += WaveTableSize;
  return WaveTable[index];
}

Offset3 WaveDisplacement(int32_t scrollType, float d) {
  switch (scrollType) {
  case ScrollWaveX: return {d, 0, 0};
  case ScrollWaveY: return {0, d, 0};
  case ScrollWaveZ: return {0, 0, d};
  case ScrollWaveXY: return {d, d, 0};
  case ScrollWaveXZ: return {d, 0, d};
  case ScrollWaveYZ: return {0, d, d};
  case ScrollWaveXYZ: return {d, d, d};
  default: return {0, 0, 0};
  }
}

void AdvanceMotion() {
  for (int k = 0; k < StarCount; k++)
    MoveStar(Stars[k], StarSpeed[k]);
  AdvanceScroll();
}

bool GlyphQuadAt(int32_t index, int32_t count, uint8_t code, GlyphQuad &quad) {
  if (code < FirstGlyphCode)
    return false;
  const float cellWidth = 1.0f / FontCells;
  float centre = GlyphSize * float(index) - HalfGlyph * float(count);
  quad.left = centre - HalfGlyph;
  quad.right = centre + HalfGlyph;
  quad.bottom = -HalfGlyph;
  quad.top = HalfGlyph;
  quad.s0 = float(code - FirstGlyphCode) * cellWidth;
  quad.s1 = quad.s0 + cellWidth;
  return true;
}
