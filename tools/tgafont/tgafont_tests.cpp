#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TgaImage.h"

// tgafont runs as its users run it, and its pictures are read back with the player's
// own decoder.
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A folder of the build tree for the running test alone.
fs::path WorkDir() {
  fs::path dir = fs::path(TEST_WORK_DIR) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

struct Outcome {
  int status;
  std::string errors;
};

Outcome RunTgafont(const fs::path &dir, const std::string &arguments) {
  const fs::path errors = dir / "stderr";
  const int raw =
      std::system((std::string(TGAFONT_PROGRAM) + " " + arguments + " 2>" + errors.string()).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(errors)};
}

bool IsOneToolLine(const std::string &errors) {
  return errors.rfind("tgafont: ", 0) == 0 && std::count(errors.begin(), errors.end(), '\n') == 1 &&
         errors.back() == '\n';
}

// A decoded font; rows bottom first, as the decoder gives them.
struct FontPicture {
  TFontImage image;
  bool decoded = false;
  explicit FontPicture(const fs::path &path) {
    const std::string bytes = ReadFile(path);
    decoded = DecodeTga(reinterpret_cast<const uint8_t *>(bytes.data()), uint32_t(bytes.size()), image);
  }
  ~FontPicture() { FreeFontImage(image); }
  int Cell() const { return image.Width / 66; }
  const uint8_t *Pixel(int cell, int x, int y) const {
    return image.Pixels + (size_t(y) * image.Width + size_t(cell) * Cell() + x) * 4;
  }
  bool Ink(int cell, int x, int y) const { return Pixel(cell, x, y)[3] > 0; }
  // Distance from the first to the last inked column of a row, or 0.
  int InkSpan(int cell, int y) const {
    int first = -1, last = -1;
    for (int x = 0; x < Cell(); x++)
      if (Ink(cell, x, y))
        last = x, first = first < 0 ? x : first;
    return first < 0 ? 0 : last - first + 1;
  }
  int LowestInkRow(int cell) const {
    int y = 0;
    while (y < image.Height && !InkSpan(cell, y))
      y++;
    return y;
  }
  int HighestInkRow(int cell) const {
    int y = image.Height - 1;
    while (y >= 0 && !InkSpan(cell, y))
      y--;
    return y;
  }
  bool HasInk(int cell) const { return HighestInkRow(cell) >= 0; }
  bool InkOnBorder(int cell) const {
    for (int i = 0; i < Cell(); i++)
      if (Ink(cell, i, 0) || Ink(cell, i, image.Height - 1) || Ink(cell, 0, i) || Ink(cell, Cell() - 1, i))
        return true;
    return false;
  }
};

const std::string Font = DEJAVU_BOLD;

} // namespace

TEST(Tgafont, CellsHoldTheirGlyphsWithOutlineAndShadow) {
  const fs::path dir = WorkDir(), out = dir / "font.tga";
  ASSERT_EQ(RunTgafont(dir, Font + " " + out.string() + " --outline 2 --shadow 3,-2").status, 0);
  FontPicture font(out);
  ASSERT_TRUE(font.decoded);
  EXPECT_EQ(font.image.BytesPerPixel, 4);
  EXPECT_EQ(font.image.Width, 66 * font.Cell());
  EXPECT_EQ(font.image.Height, font.Cell()); // the player draws cells as squares
  EXPECT_FALSE(font.HasInk(0));
  EXPECT_TRUE(font.HasInk(65)); // "a" is never drawn but has its cell
  // Nothing is cut off at a cell's edge or spills into the next one.
  for (int cell = 0; cell < 66; cell++)
    EXPECT_FALSE(font.InkOnBorder(cell)) << "cell " << cell;
  // Every pixel is opaque or transparent black: the player's alpha test sees no levels.
  int levels = 0, colourUnderClear = 0;
  for (const uint8_t *p = font.image.Pixels; p < font.image.Pixels + 4 * font.image.Width * font.image.Height;
       p += 4) {
    levels += p[3] != 0 && p[3] != 255;
    colourUnderClear += p[3] == 0 && (p[0] | p[1] | p[2]);
  }
  EXPECT_EQ(levels, 0);
  EXPECT_EQ(colourUnderClear, 0);
}

TEST(Tgafont, GlyphsStandUprightInTheirCellsWithTheGradientTopDown) {
  const fs::path dir = WorkDir(), out = dir / "font.tga";
  ASSERT_EQ(RunTgafont(dir, Font + " " + out.string() + " --size 30 --gradient FF0000:0000FF").status, 0);
  FontPicture font(out);
  ASSERT_TRUE(font.decoded);
  // "A" (cell 33) is narrow at its apex and wide at its feet; its neighbours "@" and
  // "B" are not, and upside down it would be the other way round.
  const int a = 33;
  EXPECT_LT(2 * font.InkSpan(a, font.HighestInkRow(a)), font.InkSpan(a, font.LowestInkRow(a)));
  // "H" (cell 40) has flat tops and feet: red on top, blue at the baseline.
  const int h = 40;
  auto leftStem = [&](int y) {
    int x = 0;
    while (font.Pixel(h, x, y)[3] < 255)
      x++;
    return font.Pixel(h, x, y);
  };
  const uint8_t *top = leftStem(font.HighestInkRow(h) - 1), *foot = leftStem(font.LowestInkRow(h) + 1);
  EXPECT_GT(top[0], 200);
  EXPECT_LT(top[2], 55);
  EXPECT_LT(foot[0], 55);
  EXPECT_GT(foot[2], 200);
}

TEST(Tgafont, UnusableFontsAndSizesFailWithOneLine) {
  const fs::path dir = WorkDir(), out = dir / "font.tga";
  std::ofstream(dir / "notes.ttf") << "not a font\n";
  for (const std::string &input :
       {(dir / "missing.ttf").string() + " " + out.string(),
        (dir / "notes.ttf").string() + " " + out.string(), Font + " " + out.string() + " --size 0",
        Font + " " + out.string() + " --size -4", Font + " " + out.string() + " --size 2000"}) {
    const Outcome outcome = RunTgafont(dir, input);
    EXPECT_EQ(outcome.status, 1) << input;
    EXPECT_TRUE(IsOneToolLine(outcome.errors)) << input << ": " << outcome.errors;
  }
  EXPECT_FALSE(fs::exists(out));
}

TEST(Tgafont, BadUsageShowsTheUsage) {
  const fs::path dir = WorkDir(), out = dir / "font.tga";
  for (const char *options : {"--bogus 1", "--colour 12345G", "--gradient FFFFFF", "--shadow 2",
                              "--outline -1", "--size big", "--size"}) {
    const Outcome outcome = RunTgafont(dir, Font + " " + out.string() + " " + options);
    EXPECT_EQ(outcome.status, 2) << options;
    EXPECT_NE(outcome.errors.find("usage: tgafont"), std::string::npos) << options;
  }
  EXPECT_EQ(RunTgafont(dir, Font).status, 2);
  EXPECT_FALSE(fs::exists(out));
}

TEST(Tgafont, FailedWriteLeavesNoFileBehind) {
  const fs::path dir = WorkDir(), taken = dir / "taken.tga";
  fs::create_directory(taken); // a folder where the font should go: opening works, finishing does not
  const Outcome outcome = RunTgafont(dir, Font + " " + taken.string());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(IsOneToolLine(outcome.errors)) << outcome.errors;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // the folder, stderr
}
