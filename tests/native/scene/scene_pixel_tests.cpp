#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "FontTexture.h"
#include "IntroSettings.h"
#include "MemoryBytes.h"
#include "SceneDraw.h"
#include "SceneTesting.h"
#include "TgaBytes.h"
#include "UTypes.h"

using tga::Pixel;

// The font that InitScene loads; in the program it comes from the "Font" resource.
static std::string TestFont;
void LoadFontTexture() {
  TMemoryBytes font(TestFont);
  LoadFontTextureFrom(font);
}

namespace {
constexpr int Width = 800, Height = 600;
const Pixel Red{0, 0, 255, 255}, Blue{255, 0, 0, 255}, Green{0, 255, 0, 255}, Clear{0, 0, 0, 0};

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream &operator<<(std::ostream &out, const Rgb &c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}
const Rgb Black{0, 0, 0};

// Where a point of the model-view space lands in the 800 x 600 frame (row 0 at the
// bottom), for the scene's 45-degree projection.
struct ScreenPoint {
  int x, y;
};
ScreenPoint Project(float x, float y, float depth) {
  const double scale = (Height / 2.0) / (depth * std::tan(22.5 * M_PI / 180));
  return {int(std::lround(Width / 2.0 + x * scale)), int(std::lround(Height / 2.0 + y * scale))};
}
int GlyphPixels(float depth) { return Project(0.08f, 0, depth).x - Project(0, 0, depth).x; }

// The smallest rectangle of screen points that hold a lit red pixel.
struct RedBox {
  int left = Width, bottom = Height, right = -1;
};

class ScenePixels : public ::testing::Test {
protected:
  void SetUp() override {
    context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    ASSERT_NE(context, nullptr);
    frame.assign(Width * Height * 4, 0);
    ASSERT_TRUE(OSMesaMakeCurrent(context, frame.data(), GL_UNSIGNED_BYTE, Width, Height));
    ResetSceneMotion();
    FontTexture = 0;
    IntroSettings = TIntroSettings();
  }
  void TearDown() override { OSMesaDestroyContext(context); }

  void Start(const std::string &font, const char *title, const char *scroll = "", int type = 0) {
    TestFont = font;
    IntroSettings.Title = title;
    IntroSettings.ScrollText = scroll;
    IntroSettings.ScrollType = int16_t(type);
    SetProjection(Width, Height);
    InitScene();
  }
  void Frames(int count) {
    for (int i = 0; i < count; i++)
      RenderFrame();
    glFinish();
  }
  Rgb At(ScreenPoint p) const {
    const uint8_t *c = &frame[(size_t(p.y) * Width + p.x) * 4];
    return {c[0], c[1], c[2]};
  }
  template <typename Predicate> int Count(Predicate lit) const {
    int n = 0;
    for (int y = 0; y < Height; y++)
      for (int x = 0; x < Width; x++)
        n += lit(x, y, At({x, y}));
    return n;
  }

  RedBox RedPixels() const {
    RedBox box;
    for (int y = 0; y < Height; y++)
      for (int x = 0; x < Width; x++) {
        const Rgb c = At({x, y});
        if (c.r > 128 && c.g < 64) {
          box.left = std::min(box.left, x);
          box.right = std::max(box.right, x);
          box.bottom = std::min(box.bottom, y);
        }
      }
    return box;
  }

  OSMesaContext context = nullptr;
  std::vector<uint8_t> frame;
};

std::string OneGlyphFont(uint8_t depth, char code, Pixel left, Pixel right) {
  return tga::Font(depth, 16, [=](int c, int x) { return c == code ? (x < 8 ? left : right) : Clear; });
}
} // namespace

TEST_F(ScenePixels, TitleGlyphStandsWhereTheProjectionPutsIt) {
  Start(OneGlyphFont(32, 'A', Red, Red), "a");
  Frames(1);
  ScreenPoint centre = Project(-0.04f, 0.6f, 1.9f);
  int half = GlyphPixels(1.9f) / 2;
  EXPECT_EQ(At(centre), (Rgb{255, 0, 0}));
  EXPECT_EQ(At({centre.x - half + 3, centre.y - half + 3}), (Rgb{255, 0, 0}));
  EXPECT_EQ(At({centre.x + half + 3, centre.y}), Black);
  EXPECT_EQ(At({centre.x, centre.y + half + 3}), Black);
  EXPECT_EQ(At({0, 0}), Black);
  EXPECT_EQ(At({Width - 1, Height - 1}), Black);
  int red = Count([](int, int, Rgb c) { return c.r > 128 && c.g < 64; });
  EXPECT_NEAR(red, GlyphPixels(1.9f) * GlyphPixels(1.9f), 4 * GlyphPixels(1.9f));
}

TEST_F(ScenePixels, ControlCharacterLeavesAGlyphWideGap) {
  Start(OneGlyphFont(32, 'A', Red, Red), "A\x01"
                                         "A");
  Frames(1);
  // Centres at -0.12, -0.04 and 0.04 for a row of three.
  EXPECT_EQ(At(Project(-0.12f, 0.6f, 1.9f)), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(Project(-0.04f, 0.6f, 1.9f)), Black);
  EXPECT_EQ(At(Project(0.04f, 0.6f, 1.9f)), (Rgb{255, 0, 0}));
}

TEST_F(ScenePixels, TwentyFourBitFontDrawsWholeOpaqueCells) {
  Start(OneGlyphFont(24, 'A', Red, Blue), "A");
  Frames(1);
  ScreenPoint centre = Project(-0.04f, 0.6f, 1.9f);
  int quarter = GlyphPixels(1.9f) / 4;
  EXPECT_EQ(At({centre.x - quarter, centre.y}), (Rgb{255, 0, 0}));
  EXPECT_EQ(At({centre.x + quarter, centre.y}), (Rgb{0, 0, 255}));
  // Every other cell of a 24-bit font is opaque black, so a blank draws nothing visible.
}

TEST_F(ScenePixels, ThirtyTwoBitFontLosesItsTransparentBackground) {
  Start(OneGlyphFont(32, 'A', Red, Pixel{255, 0, 0, 60}), "A");
  Frames(1);
  ScreenPoint centre = Project(-0.04f, 0.6f, 1.9f);
  int quarter = GlyphPixels(1.9f) / 4;
  EXPECT_EQ(At({centre.x - quarter, centre.y}), (Rgb{255, 0, 0}));
  EXPECT_EQ(At({centre.x + quarter, centre.y}), Black); // alpha 60 is below the 0.4 test
}

TEST_F(ScenePixels, OpenBraceShowsTheGlyphOfNine) {
  Start(OneGlyphFont(32, '9', Green, Green), "{");
  Frames(1);
  EXPECT_EQ(At(Project(-0.04f, 0.6f, 1.9f)), (Rgb{0, 255, 0}));
}

TEST_F(ScenePixels, WithoutAFontTheGlyphsAreWhiteSquares) {
  Start("not a TGA file at all", "A");
  Frames(1);
  EXPECT_EQ(FontTexture, 0u);
  EXPECT_EQ(At(Project(-0.04f, 0.6f, 1.9f)), (Rgb{255, 255, 255}));
}

TEST_F(ScenePixels, StarStreaksStartNearTheCentreAndSpreadOut) {
  Start("", "");
  auto lit = [](int, int, Rgb c) { return c.r > 0; };
  auto outside = [](int x, int y, Rgb c) { return c.r > 0 && std::hypot(x - 400, y - 300) > 260; };
  auto coloured = [](int, int, Rgb c) { return c.r != c.g || c.g != c.b; };
  // Until the first restart (frame 102 at the earliest) every star flies along the
  // line of sight; the first restarted ones start within 1.42 units of it at depth 7
  // and have come at most 2.9 units nearer by frame 130.
  Frames(80);
  EXPECT_EQ(Count(outside), 0);
  Frames(50);
  EXPECT_GT(Count(lit), 20);
  EXPECT_EQ(Count(outside), 0);
  Frames(300);
  EXPECT_GT(Count(outside), 10);
  EXPECT_EQ(Count(coloured), 0);
}

// A streak's head is as bright as its star is near: a fifth of the way to white per
// unit of the star's flight, white from 5 on; its tail, where the star was a frame
// ago, is black. Two stars fly along the centre row, one on each side; every other
// one stands dark at the start of its flight.
TEST_F(ScenePixels, StarHeadsAreGreyByTheirNearnessAndWhiteFromFiveOn) {
  Start("", "");
  Stars[0] = {0.5f, 2.5f, 0, 0.5f, -20, 0};
  Stars[1] = {-0.5f, 5.5f, 0, -0.5f, -20, 0};
  Frames(1);
  auto brightest = [&](int fromX, int toX) {
    int level = 0;
    for (int y = Height / 2 - 1; y <= Height / 2 + 1; y++)
      for (int x = fromX; x < toX; x++) {
        const Rgb c = At({x, y});
        EXPECT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y << " " << c;
        level = std::max(level, c.r);
      }
    return level;
  };
  EXPECT_NEAR(brightest(Width / 2 + 2, Width), 128, 4);
  EXPECT_EQ(brightest(0, Width / 2 - 2), 255);
  const int nearTail = Project(0.5f, 0, 26).x; // the tail ends at depth 27
  EXPECT_LT(brightest(nearTail, nearTail + 1), 16);
}

TEST_F(ScenePixels, ScrollTextEntersFromTheRightOnItsCentreLine) {
  Start(OneGlyphFont(32, 'A', Red, Red), "", "AAAA");
  Frames(1);
  auto red = [](int, int, Rgb c) { return c.r > 128 && c.g < 64; };
  EXPECT_EQ(Count(red), 0); // frame 1: the first character waits just right of the view
  Frames(199);
  // Frame 200 draws at offset 1.995: character i is centred at 2 - 1.995 + 0.08 i - 0.04.
  for (int i = 1; i <= 4; i++)
    EXPECT_EQ(At(Project(0.005f + 0.08f * i - 0.04f, 0.1f, 1.53f)), (Rgb{255, 0, 0})) << i;
  EXPECT_EQ(At(Project(0.005f + 0.08f * 5 - 0.04f, 0.1f, 1.53f)), Black);
}

TEST_F(ScenePixels, YWaveLiftsEachCharacterByItsTableEntry) {
  Start(OneGlyphFont(32, 'A', Red, Red), "", "AAAAAAAAAAAAAAAAAAAAAAAAA", ScrollWaveY);
  Frames(240);
  // Frame 240 has phase 239: character i rises by WaveTable[239 - 5 (i - 1)].
  float offset = 1.0f + 239 * 0.005f;
  for (int i = 1; i <= 16; i++) {
    float x = 2 - offset + 0.08f * i - 0.04f;
    float y = 0.1f + WaveTable[239 - 5 * (i - 1)];
    ScreenPoint p = Project(x, y, 1.53f);
    if (p.x < 20 || p.x > Width - 20)
      continue;
    EXPECT_EQ(At(p), (Rgb{255, 0, 0})) << i;
    EXPECT_EQ(At({p.x, p.y + GlyphPixels(1.53f) * 3 / 4}), Black) << i;
  }
}

// Phase 180 is a crest of the wave (0.1), and at offset 1.9 the one character stands
// near the middle of the view: its square moves by 0.1 along exactly the axes of its
// code, towards the viewer along z, and an unknown code leaves it on the line.
TEST_F(ScenePixels, EachWaveCodeDisplacesAlongExactlyItsAxes) {
  const struct {
    int code;
    float x, y, z;
  } waves[] = {{88, 1, 0, 0}, {89, 0, 1, 0}, {90, 0, 0, 1}, {49, 1, 1, 0},
               {50, 1, 0, 1}, {51, 0, 1, 1}, {52, 1, 1, 1}, {53, 0, 0, 0}};
  for (const auto &wave : waves) {
    Start(OneGlyphFont(32, 'A', Red, Red), "", "A", wave.code);
    FramePhase = 180;
    ScrollOffset = 1.9f;
    Frames(1);
    const float d = 0.1f;
    const float x = 0.14f + d * wave.x, y = 0.1f + d * wave.y, depth = 1.53f - d * wave.z;
    // Left, right and bottom edge fix the place and the size; the lit top edge stops a
    // few pixels short of the square in these frames.
    const ScreenPoint low = Project(x - 0.04f, y - 0.04f, depth), high = Project(x + 0.04f, y + 0.04f, depth);
    const RedBox box = RedPixels();
    EXPECT_NEAR(box.left, low.x, 2) << wave.code;
    EXPECT_NEAR(box.right, high.x, 2) << wave.code;
    EXPECT_NEAR(box.bottom, low.y, 2) << wave.code;
  }
}

// The frame counter runs on through its wrap as two's complement (the sanitizer
// stops the test at a signed overflow): the frame after phase 2^31 - 1 draws phase
// -2^31, and its second character the phase five entries before that.
TEST_F(ScenePixels, WaveRunsOnAcrossTheFrameCounterWrap) {
  Start(OneGlyphFont(32, 'A', Red, Red), "", "AA", ScrollWaveY);
  FramePhase = INT32_MAX;
  ScrollOffset = 1.9f;
  Frames(2);
  EXPECT_EQ(FramePhase, INT32_MIN + 1);
  const float y = 0.1f + WaveAt(INT32_MAX - 4);
  EXPECT_EQ(At(Project(0.215f, y, 1.53f)), (Rgb{255, 0, 0}));
  EXPECT_EQ(At(Project(0.215f, y + 0.06f, 1.53f)), Black);
}

namespace {
std::string ReadWholeFile(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
} // namespace

// The demo font keeps only opaque and clear texels. Linear filtering blends a glyph's
// rim with its neighbours, so the rim moves by part of a pixel, but the picture stays
// the one the soft-edged font gave: what appears or vanishes there is outline or
// shadow, no channel above the shadow's 96, and a lit pixel changes by less than 6 of
// 255 levels on average. Stars stand still, black, so only the text is compared.
TEST_F(ScenePixels, DemoFontDrawsTheTextAsItsSoftEdgedDrawingDid) {
  constexpr int FrameStep = 50, FrameCount = 36; // one scroll cycle of 1800 frames
  constexpr int RimBrightest = 96;
  const char *const text =
      "SINESTAGE ... 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ !\"#$%&'()*+,-./:;<=>?@[\\]^_`";
  auto framesOf = [&](const char *fontPath) {
    ResetSceneMotion();
    Start(ReadWholeFile(fontPath), "SINESTAGE", text, ScrollWaveY);
    memset(StarSpeed, 0, sizeof StarSpeed);
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < FrameCount; k++) {
      for (int skipped = 1; skipped < FrameStep; skipped++)
        AdvanceMotion();
      Frames(1);
      frames.push_back(frame);
    }
    return frames;
  };
  const auto soft = framesOf(SOFT_DEMO_FONT), demo = framesOf(DEMO_FONT);
  long lit = 0, changeSum = 0;
  int largestChange = 0;
  for (int k = 0; k < FrameCount; k++)
    for (size_t i = 0; i < soft[k].size(); i += 4) {
      int change = 0, brightest = 0;
      for (size_t c = i; c < i + 3; c++) {
        change = std::max(change, std::abs(soft[k][c] - demo[k][c]));
        brightest = std::max({brightest, int(soft[k][c]), int(demo[k][c])});
      }
      lit += brightest > 0;
      changeSum += change;
      largestChange = std::max(largestChange, change);
    }
  ASSERT_GT(lit, 0);
  EXPECT_LE(largestChange, RimBrightest);
  EXPECT_LT(double(changeSum) / double(lit), 6.0);
}
