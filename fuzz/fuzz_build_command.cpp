// sinebuild's command line: the input split at NULs is its argv. A command that
// parses goes into a fresh options record as the dialog would fill it, and the
// settings text made from that record must read back in the player as typed.
#include <memory>
#include <string>
#include <vector>

#include "BuildCommand.h"
#include "BuilderOptions.h"
#include "DialogControls.h"
#include "FuzzCheck.h"
#include "IntroSettings.h"
#include "PathText.h"
#include "UTypes.h"

namespace {

std::vector<std::string> splitAtNuls(const uint8_t *data, size_t size) {
  std::vector<std::string> arguments(1);
  for (size_t i = 0; i < size; ++i)
    if (data[i] == 0)
      arguments.emplace_back();
    else
      arguments.back() += char(data[i]);
  return arguments;
}

void checkDroppedFileBoxes(const std::vector<std::string> &arguments) {
  for (const std::string &path : arguments) {
    const int box = BoxForDroppedFile(path);
    FUZZ_CHECK(box == 0 || box == FontPathBox || box == MusicPathBox || box == IconPathBox);
  }
}

// What the player shows for a typed text: the builder turns every '|' into a blank.
bool readsBackAs(const TByteString &read, const std::string &typed) {
  if (read.Length() != int32_t(typed.size()))
    return false;
  for (size_t i = 0; i < typed.size(); ++i)
    if (read[int32_t(i)] != (typed[i] == SettingsSeparator ? ' ' : typed[i]))
      return false;
  return true;
}

void checkSettingsReadBack(const TBuilderOptions &options, const TBuildCommand &command) {
  const std::string text = SettingsTextOf(options);
  TIntroSettings read;
  ParseSettingsText(TByteString(text.c_str(), int32_t(text.size() + 1)), read); // the resource keeps its NUL
  FUZZ_CHECK(readsBackAs(read.Title, command.Title) && readsBackAs(read.ScrollText, command.Text));
  FUZZ_CHECK(read.ScrollType == command.ScrollType);
  FUZZ_CHECK(read.CloseOnClick.Equals(command.CloseOnClick ? "1" : "0"));
  FUZZ_CHECK(read.FullScreen.Equals(command.FullScreen ? "1" : "0"));
}

void checkOptions(const TBuilderOptions &options, const TBuildCommand &command) {
  FUZZ_CHECK(options.Title == command.Title && options.ScrollText == command.Text);
  FUZZ_CHECK(options.FontPath == command.Font && options.MusicPath == command.Music &&
             options.IconPath == command.Icon);
  FUZZ_CHECK(options.PackIntro == command.Pack && options.RunIntro == command.Run &&
             options.OpenFolder == command.OpenFolder);
}

void checkOutputPath(const std::string &chosen) {
  FUZZ_CHECK(OutputPathFor(chosen, true) == chosen);
  const std::string path = OutputPathFor(chosen, false);
  FUZZ_CHECK(path.compare(0, chosen.size(), chosen) == 0);
  FUZZ_CHECK(path.size() >= 4 && LowerAscii(path.substr(path.size() - 4)) == ".exe");
  FUZZ_CHECK(path.size() == chosen.size() || path.size() == chosen.size() + 4);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<std::string> arguments = splitAtNuls(data, size);
  checkDroppedFileBoxes(arguments);
  arguments.insert(arguments.begin(), "sinebuild");
  std::vector<const char *> argv;
  for (const std::string &argument : arguments)
    argv.push_back(argument.c_str());

  TBuildCommand command;
  if (!ParseBuildCommand(int(argv.size()), argv.data(), command).empty())
    return 0;
  std::unique_ptr<TBuilderOptions> options(new TBuilderOptions()); // 320 KiB: not on the stack
  ApplyBuildCommand(command, *options);
  checkOptions(*options, command);
  checkSettingsReadBack(*options, command);
  checkOutputPath(command.Out);
  return 0;
}
