// The builder's portable pieces: the settings text it writes, the output-path rule,
// the icon-file reader and group directory, the packer's command line, sinebuild's
// command line and what it says about fonts and modules.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BuildCommand.h"
#include "BuilderOptions.h"
#include "DialogControls.h"
#include "IconFile.h"
#include "InputChecks.h"
#include "IntroMusic.h"
#include "ModWriter.h"
#include "PathText.h"
#include "PostBuild.h"
#include "XmWriter.h"

namespace {
std::unique_ptr<TBuilderOptions> FreshOptions() { return std::make_unique<TBuilderOptions>(); }

std::vector<uint8_t> Bytes(const std::string &s) { return std::vector<uint8_t>(s.begin(), s.end()); }

using xmwriter::put16;
using xmwriter::put32;

// A directory of `count` entries, then the images; offsets may be overridden.
std::string IconBytes(const std::vector<std::string> &images, int64_t offsetOverride = -1) {
  std::string out;
  put16(out, 0);
  put16(out, 1);
  put16(out, uint32_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out += char(16 << i);
    out += char(16 << i);
    out += '\0';
    out += '\0';
    put16(out, 1);
    put16(out, 32);
    put32(out, uint32_t(images[i].size()));
    put32(out, offsetOverride >= 0 ? uint32_t(offsetOverride) : offset);
    offset += uint32_t(images[i].size());
  }
  for (const std::string &image : images)
    out += image;
  return out;
}

IcoProblem Parse(const std::string &bytes, Ico &icon) {
  return ParseIconFile(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), icon);
}

std::string ParseError(std::vector<const char *> args) {
  args.insert(args.begin(), "sinebuild");
  TBuildCommand command;
  return ParseBuildCommand(int(args.size()), args.data(), command);
}
} // namespace

TEST(SettingsText, FromTheOptionsAsTheDialogLeavesThem) {
  auto o = FreshOptions();
  EXPECT_EQ(SettingsTextOf(*o), "||0|0|0");
  SetOptionText(o->Title, "Hello");
  SetOptionText(o->ScrollText, "Hi all");
  EXPECT_EQ(SettingsTextOf(*o), "Hello|Hi all|0|0|0");
  SetOptionText(o->Title, "a|b");
  SetOptionText(o->CloseOnClick, "1");
  SetOptionText(o->FullScreen, "1");
  o->ScrollType = 52;
  EXPECT_EQ(SettingsTextOf(*o), "a b|Hi all|52|1|1");
}

TEST(OutputPath, ExeOnceInAnyCaseAndExistingFilesKeepTheirName) {
  EXPECT_EQ(OutputPathFor("C:\\intro", false), "C:\\intro.exe");
  EXPECT_EQ(OutputPathFor("C:\\intro.exe", false), "C:\\intro.exe");
  EXPECT_EQ(OutputPathFor("C:\\INTRO.ExE", false), "C:\\INTRO.ExE");
  EXPECT_EQ(OutputPathFor("C:\\my.exe\\intro", false), "C:\\my.exe\\intro.exe");
  EXPECT_EQ(OutputPathFor("C:\\old.dat", true), "C:\\old.dat");
}

TEST(IconFile, ImagesAndGroupDirectoryInFileOrder) {
  Ico icon;
  ASSERT_EQ(Parse(IconBytes({"small", "medium image", "large image bytes"}), icon), IcoProblem::None);
  ASSERT_EQ(icon.Images.size(), 3u);
  EXPECT_EQ(std::string(icon.Images[2].begin(), icon.Images[2].end()), "large image bytes");
  const std::vector<uint8_t> group = GroupResourceData(BuildGroupDirectory(icon, 1));
  ASSERT_EQ(group.size(), 6u + 14 * 3);
  EXPECT_EQ(std::vector<uint8_t>(group.begin(), group.begin() + 6), (std::vector<uint8_t>{0, 0, 1, 0, 3, 0}));
  // The third entry: 64 x 64, planes 1, 32 bits, 17 bytes, id 3.
  EXPECT_EQ(std::vector<uint8_t>(group.begin() + 34, group.end()),
            (std::vector<uint8_t>{64, 64, 0, 0, 1, 0, 32, 0, 17, 0, 0, 0, 3, 0}));
}

TEST(IconFile, GroupEntriesTakeEveryFieldAsItStands) {
  // Colour count 16, reserved 7, planes 2, 0 bits per pixel: nothing is worked out.
  std::string file;
  put16(file, 0);
  put16(file, 1);
  put16(file, 1);
  file += std::string("\x20\x18\x10\x07", 4);
  put16(file, 2);
  put16(file, 0);
  put32(file, 3);
  put32(file, 22);
  file += "img";
  Ico icon;
  ASSERT_EQ(Parse(file, icon), IcoProblem::None);
  const std::vector<uint8_t> group = GroupResourceData(BuildGroupDirectory(icon, 5));
  EXPECT_EQ(std::vector<uint8_t>(group.begin() + 6, group.end()),
            (std::vector<uint8_t>{32, 24, 16, 7, 2, 0, 0, 0, 3, 0, 0, 0, 5, 0}));
}

TEST(IconFile, CountZeroGivesAnEmptyGroup) {
  Ico icon;
  ASSERT_EQ(Parse(IconBytes({}), icon), IcoProblem::None);
  EXPECT_EQ(GroupResourceData(BuildGroupDirectory(icon, 1)), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
}

TEST(IconFile, PromisesBeyondTheFileAreRefusedWhole) {
  Ico icon;
  EXPECT_EQ(Parse(std::string("\0\0\1\0\1", 5), icon), IcoProblem::ShorterThanHeader);
  std::string truncated = IconBytes({"abcdef", "ghijkl"});
  EXPECT_EQ(Parse(truncated.substr(0, 6 + 16 + 8), icon), IcoProblem::DirectoryPastEnd);
  EXPECT_EQ(Parse(truncated.substr(0, truncated.size() - 1), icon), IcoProblem::ImagePastEnd);
  // An offset that only wraps round to the file in 32 bits.
  EXPECT_EQ(Parse(IconBytes({"abcdef"}, 0xFFFFFFFE), icon), IcoProblem::ImagePastEnd);
  EXPECT_TRUE(icon.Entries.empty() && icon.Images.empty());
}

// A 1 MiB file whose entries all name the whole file: each copy is a megabyte more.
TEST(IconFile, EntriesSharingBytesMayAddUpTo64MiBAndNoMore) {
  const auto sharedImages = [](uint32_t count) {
    const uint32_t fileBytes = 1u << 20;
    std::string out;
    put16(out, 0);
    put16(out, 1);
    put16(out, count);
    for (uint32_t i = 0; i < count; ++i) {
      out += std::string("\x10\x10\0\0", 4);
      put16(out, 1);
      put16(out, 32);
      put32(out, fileBytes);
      put32(out, 0);
    }
    out.resize(fileBytes, '\0');
    return out;
  };
  Ico icon;
  EXPECT_EQ(Parse(sharedImages(64), icon), IcoProblem::None);
  EXPECT_EQ(Parse(sharedImages(65), icon), IcoProblem::ImagesLargerThanAnyIcon);
  EXPECT_TRUE(icon.Images.empty());
}

TEST(Paths, FolderExtensionAndThePackersCommandLine) {
  EXPECT_EQ(FolderOf("C:\\My Tools\\Sinewright.exe"), "C:\\My Tools\\");
  EXPECT_EQ(FolderOf("intro.exe"), "");
  EXPECT_EQ(ExtensionOf("C:\\a.b\\intro"), ".b\\intro");
  EXPECT_EQ(ExtensionOf("intro"), "");
  EXPECT_EQ(LowerAscii("A.TGA\xC4"), "a.tga\xC4");
  const std::string packer = PackerPathBeside("C:\\My Tools\\Sinewright.exe");
  EXPECT_EQ(packer, "C:\\My Tools\\Data\\Packer\\upx.exe");
  // Both quoted: the packer's C run-time takes each as one argument, blanks and all.
  EXPECT_EQ(PackerCommandLine(packer, "D:\\out dir\\intro.exe"),
            "\"C:\\My Tools\\Data\\Packer\\upx.exe\" \"D:\\out dir\\intro.exe\"");
}

// Windows takes "/" as it takes "\", and "C:name" is a name in drive C's current folder.
TEST(Paths, SlashesAndDriveRelativeNamesSplitAsWindowsReadsThem) {
  EXPECT_EQ(FolderOf("C:/intros/intro.exe"), "C:/intros/");
  EXPECT_EQ(FolderOf("/tmp/x/intro.exe"), "/tmp/x/");
  EXPECT_EQ(FolderOf("C:\\a/b\\intro.exe"), "C:\\a/b\\");
  EXPECT_EQ(FolderOf("C:intro.exe"), "C:");
  EXPECT_EQ(NameOf("C:/intros/intro.exe"), "intro.exe");
  EXPECT_EQ(NameOf("C:intro.exe"), "intro.exe");
  EXPECT_EQ(NameOf("1:intro.exe"), "1:intro.exe");
  EXPECT_EQ(PackerPathBeside("C:/My Tools/sinebuild.exe"), "C:/My Tools/Data\\Packer\\upx.exe");
  EXPECT_EQ(OutputPathFor("C:/my.exe/intro", false), "C:/my.exe/intro.exe");
  EXPECT_EQ(BoxForDroppedFile("C:/tunes.xm/README"), 0);
  EXPECT_EQ(BoxForDroppedFile("C:/Fonts/BIG.TGA"), FontPathBox);
}

TEST(PostBuild, PackerThenMessageThenIntroThenFolder) {
  static std::vector<std::string> steps;
  const TPostBuildActions record = {
      [](const std::string &intro) { steps.push_back("pack " + intro); },
      [](const TBuildMessage &message) { steps.push_back("tell " + message.Text); },
      [](const std::string &intro) { steps.push_back("start " + intro); },
      [](const std::string &intro) { steps.push_back("open " + intro); },
  };
  auto o = FreshOptions();
  o->PackIntro = o->RunIntro = o->OpenFolder = true;
  FinishBuild("C:\\i.exe", "", *o, record);
  EXPECT_EQ(steps, (std::vector<std::string>{"pack C:\\i.exe", "tell Intro have been created :)",
                                             "start C:\\i.exe", "open C:\\i.exe"}));
  steps.clear();
  FinishBuild("C:\\i.exe", "music", *o, record);
  EXPECT_EQ(steps, (std::vector<std::string>{"tell " + BuildMessage("music").Text}));
}

TEST(PostBuild, CompletionMessageInformsAndTheWarningNamesTheParts) {
  const TBuildMessage done = BuildMessage("");
  EXPECT_EQ(done.Text, "Intro have been created :)");
  EXPECT_EQ(done.Icon, 0x40u);
  const TBuildMessage warning = BuildMessage("font, settings");
  EXPECT_EQ(warning.Text, "The intro was not written: its font, settings could not be added (is the disk "
                          "full?). A file already at that path is left as it was.");
  EXPECT_EQ(warning.Icon, 0x30u);
}

TEST(DroppedFile, GoesToTheBoxOfItsExtensionInAnyCase) {
  EXPECT_EQ(BoxForDroppedFile("C:\\Fonts\\BIG.TGA"), FontPathBox);
  EXPECT_EQ(BoxForDroppedFile("tune.Xm"), MusicPathBox);
  EXPECT_EQ(BoxForDroppedFile("C:\\Songs\\SPACE.MoD"), MusicPathBox);
  EXPECT_EQ(BoxForDroppedFile("C:\\Songs\\DATA.S3m"), MusicPathBox);
  EXPECT_EQ(BoxForDroppedFile("C:\\Songs\\tune.iT"), MusicPathBox);
  EXPECT_EQ(BoxForDroppedFile("C:\\a.b\\icon.ico"), IconPathBox);
  EXPECT_EQ(BoxForDroppedFile("C:\\music\\song"), 0);
  EXPECT_EQ(BoxForDroppedFile("C:\\tunes.xm\\README"), 0);
  EXPECT_EQ(BoxForDroppedFile("C:\\a.tga.bak"), 0);
}

TEST(BuildCommand, OptionsBecomeTheDialogsSettings) {
  const char *args[] = {"sinebuild",        "--out",  "x.exe",  "--title", "T|1", "--scroll", "yz",
                        "--close-on-click", "--pack", "--font", "f.tga"};
  TBuildCommand command;
  ASSERT_EQ(ParseBuildCommand(11, args, command), "");
  auto o = FreshOptions();
  ApplyBuildCommand(command, *o);
  EXPECT_EQ(SettingsTextOf(*o), "T 1||51|1|0");
  EXPECT_STREQ(o->FontPath, "f.tga");
  EXPECT_TRUE(o->PackIntro && !o->RunIntro && !o->OpenFolder);
}

TEST(BuildCommand, BadCommandLinesAreRefused) {
  EXPECT_NE(ParseError({"--title", "T"}), "");
  EXPECT_NE(ParseError({"--out", "x", "--scroll", "w"}), "");
  EXPECT_NE(ParseError({"--out", "x", "--bogus"}), "");
  EXPECT_NE(ParseError({"--out", "x", "--font"}), "");
  EXPECT_NE(ParseError({"--out", std::string(261, 'a').c_str()}), "");
  EXPECT_EQ(ParseError({"--out", std::string(260, 'a').c_str()}), "");
}

// An option buffer holds 65534 characters and its NUL, as the dialog's boxes give
// them: one more is refused rather than cut.
TEST(BuildCommand, OptionTextsAreTakenWholeUpTo65534Characters) {
  const std::string longest(OptionTextBytes - 2, 'a'), tooLong(OptionTextBytes - 1, 'a');
  for (const char *option : {"--title", "--text", "--font", "--music", "--icon"}) {
    const char *args[] = {"sinebuild", "--out", "x.exe", option, longest.c_str()};
    TBuildCommand command;
    ASSERT_EQ(ParseBuildCommand(5, args, command), "") << option;
    auto o = FreshOptions();
    ApplyBuildCommand(command, *o);
    int whole = 0;
    for (const char *text : {o->Title, o->ScrollText, o->FontPath, o->MusicPath, o->IconPath})
      whole += text == longest;
    EXPECT_EQ(whole, 1) << option;
    EXPECT_NE(ParseError({"--out", "x.exe", option, tooLong.c_str()}), "") << option;
  }
}

TEST(InputChecks, FontsAndModulesThePlayerRefusesAreNamed) {
  std::string mapped(18, '\0');
  mapped[2] = 1;
  EXPECT_NE(FontProblem(Bytes(mapped)).find("a TGA of type 1"), std::string::npos);
  XmModuleSpec m;
  m.addPattern(4);
  m.addInstrument().addSample({0, 1});
  m.instruments[0].sampleCountField = 17;
  EXPECT_NE(MusicProblem(Bytes(writeXm(m))).find("an instrument has more than 16 samples"),
            std::string::npos);
  m.instruments[0].sampleCountField = -1;
  EXPECT_EQ(MusicProblem(Bytes(writeXm(m))), "");
  // A MOD plays once converted; a file that is no module is named by the converter.
  ModSpec mod;
  mod.samples.push_back({std::vector<int8_t>(32, 40)});
  mod.cell(0, 0, 0) = {428, 1, 0, 0};
  EXPECT_EQ(MusicProblem(Bytes(writeMod(mod))), "");
  mod.cutAt = 1100;
  EXPECT_EQ(MusicProblem(Bytes(writeMod(mod))).rfind("a truncated MOD module", 0), 0u);
}

// An intro carries the converter's XM where there is one and the file as it is
// otherwise; the lines tell of a conversion and its warnings, and of nothing else.
TEST(IntroMusic, CarriesTheConvertedModuleAndSaysWhatChanged) {
  ModSpec mod;
  mod.samples.push_back({std::vector<int8_t>(32, 40)});
  mod.cell(0, 0, 0) = {428, 1, 0xE, 0x01};
  const TIntroMusic converted = MusicForIntro(Bytes(writeMod(mod)));
  EXPECT_TRUE(converted.Converted);
  EXPECT_EQ(converted.Bytes, converted.Conversion.xm);
  EXPECT_EQ(ConversionLines("a.mod", converted),
            (std::vector<std::string>{"a.mod: 4-channel ProTracker module, 31 samples -> XM",
                                      "a.mod: warning: E0x (the Amiga filter) dropped (1 time)"}));
  XmModuleSpec xm;
  xm.addPattern(1);
  const std::string asItIs = writeXm(xm), junk = "no module at all, just words";
  for (const std::string &file : {asItIs, junk}) {
    const TIntroMusic music = MusicForIntro(Bytes(file));
    EXPECT_FALSE(music.Converted);
    EXPECT_EQ(music.Bytes, file);
    EXPECT_TRUE(ConversionLines("b.xm", music).empty());
  }
}
