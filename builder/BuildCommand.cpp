#include "BuildCommand.h"

#include <cstring>

#include "UTypes.h"

const char BuildUsage[] =
    "usage: sinebuild --out PATH [--title T] [--text S] [--scroll line|x|y|z|xy|xz|yz|xyz]\n"
    "                 [--fullscreen] [--close-on-click] [--font FILE.tga] [--music MODULE]\n"
    "                 [--icon FILE.ico] [--pack] [--run] [--open-folder] [--strict]\n";

namespace {
// The save dialog's buffer: longer output paths never reach the creation code.
constexpr size_t MaxOutputPath = 260;

struct NamedScroll {
  const char *name;
  int32_t code;
};

constexpr NamedScroll ScrollNames[] = {
    {"line", ScrollLine}, {"x", ScrollWaveX},   {"y", ScrollWaveY},   {"z", ScrollWaveZ},
    {"xy", ScrollWaveXY}, {"xz", ScrollWaveXZ}, {"yz", ScrollWaveYZ}, {"xyz", ScrollWaveXYZ},
};

bool ScrollCode(const std::string &name, int32_t &code) {
  for (const NamedScroll &s : ScrollNames)
    if (name == s.name) {
      code = s.code;
      return true;
    }
  return false;
}

struct TextOptionName {
  const char *name;
  std::string TBuildCommand::*field;
};

struct FlagOptionName {
  const char *name;
  bool TBuildCommand::*field;
};

constexpr TextOptionName TextOptions[] = {
    {"--out", &TBuildCommand::Out},   {"--title", &TBuildCommand::Title}, {"--text", &TBuildCommand::Text},
    {"--font", &TBuildCommand::Font}, {"--music", &TBuildCommand::Music}, {"--icon", &TBuildCommand::Icon},
};

constexpr FlagOptionName FlagOptions[] = {
    {"--fullscreen", &TBuildCommand::FullScreen},
    {"--close-on-click", &TBuildCommand::CloseOnClick},
    {"--pack", &TBuildCommand::Pack},
    {"--run", &TBuildCommand::Run},
    {"--open-folder", &TBuildCommand::OpenFolder},
    {"--strict", &TBuildCommand::Strict},
};

std::string *TextOption(const std::string &name, TBuildCommand &c) {
  for (const TextOptionName &o : TextOptions)
    if (name == o.name)
      return &(c.*o.field);
  return nullptr;
}

bool *FlagOption(const std::string &name, TBuildCommand &c) {
  for (const FlagOptionName &o : FlagOptions)
    if (name == o.name)
      return &(c.*o.field);
  return nullptr;
}

// Texts go into buffers of OptionTextBytes; one that would be cut is refused.
std::string CheckLengths(const TBuildCommand &c) {
  if (c.Out.empty())
    return "--out PATH is required";
  if (c.Out.size() > MaxOutputPath)
    return "--out takes a path of at most 260 characters";
  for (const std::string *text : {&c.Title, &c.Text, &c.Font, &c.Music, &c.Icon})
    if (text->size() > size_t(OptionTextBytes - 2))
      return "an option's text is longer than 65534 characters";
  return "";
}
} // namespace

std::string ParseBuildCommand(int argc, const char *const *argv, TBuildCommand &command) {
  command = TBuildCommand();
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (bool *flag = FlagOption(name, command)) {
      *flag = true;
      continue;
    }
    if (name != "--scroll" && !TextOption(name, command))
      return "unknown option " + name;
    if (i + 1 >= argc)
      return name + " wants a value";
    const std::string value = argv[++i];
    if (name == "--scroll") {
      if (!ScrollCode(value, command.ScrollType))
        return "--scroll wants line, x, y, z, xy, xz, yz or xyz";
    } else {
      *TextOption(name, command) = value;
    }
  }
  return CheckLengths(command);
}

void ApplyBuildCommand(const TBuildCommand &c, TBuilderOptions &options) {
  SetOptionText(options.Title, c.Title);
  SetOptionText(options.ScrollText, c.Text);
  SetOptionText(options.FontPath, c.Font);
  SetOptionText(options.MusicPath, c.Music);
  SetOptionText(options.IconPath, c.Icon);
  options.ScrollType = c.ScrollType;
  SetOptionText(options.CloseOnClick, c.CloseOnClick ? "1" : "0");
  SetOptionText(options.FullScreen, c.FullScreen ? "1" : "0");
  options.PackIntro = c.Pack;
  options.RunIntro = c.Run;
  options.OpenFolder = c.OpenFolder;
}
