// sinebuild: the builder without its dialog, for scripts and batch builds. It writes
// the same intro as "Create" does, and unlike the dialog it says what happened to
// every input, because a silent or blank intro is the worst surprise.
#include <windows.h>

#include <cstdio>

#include "BuildCommand.h"
#include "FileBytes.h"
#include "FileReadable.h"
#include "InputChecks.h"
#include "IntroCreation.h"
#include "IntroMusic.h"
#include "IntroSizes.h"
#include "PathText.h"
#include "PostBuild_win32.h"
#include "ProductVersion.h"

namespace {
// One line for an input that is left out or will not work; a left-out input is also
// taken off the options, so the intro never carries what the user was told it lacks.
bool Report(const char *what, char *path, const InputVerdict &verdict) {
  if (verdict.Why.empty())
    return false;
  std::fprintf(stderr, "sinebuild: %s \"%s\" %s: %s\n", what, path,
               verdict.LeftOut ? "is left out" : "will not work in the intro", verdict.Why.c_str());
  if (verdict.LeftOut)
    path[0] = '\0';
  return true;
}

// What the converter made of the music, in toxm's lines; true when it warned, that is
// when the intro will play the song otherwise than its tracker.
bool ReportConversion(const char *path) {
  std::vector<uint8_t> file;
  if (ReadFileBytes(path, size_t(1) << 30, file) != FileRead::Read || file.empty())
    return false;
  const TIntroMusic music = MusicForIntro(file);
  for (const std::string &line : ConversionLines(NameOf(path), music))
    std::printf("%s\n", line.c_str());
  return !music.Conversion.warnings.empty();
}

// True when anything would be left out or not work.
bool ReportProblems(const TBuildCommand &command, TBuilderOptions &options) {
  bool problems = false;
  if (!command.Font.empty())
    problems |= Report("font", options.FontPath, CheckFont(options.FontPath));
  if (!command.Music.empty()) {
    problems |= Report("music", options.MusicPath, CheckMusic(options.MusicPath));
    problems |= ReportConversion(options.MusicPath);
  }
  if (!command.Icon.empty())
    problems |= Report("icon", options.IconPath, CheckIcon(options.IconPath));
  if (command.Title.empty()) {
    std::fprintf(stderr,
                 "sinebuild: the title is empty: the intro will end at once without showing anything\n");
    problems = true;
  }
  if (command.Pack && !FileReadable(PackerPath().c_str())) {
    std::fprintf(stderr, "sinebuild: --pack: no packer at %s: the intro stays unpacked\n",
                 PackerPath().c_str());
    problems = true;
  }
  return problems;
}

// Only what the intro carries counts, so the parts are read back from the file.
void ReportSizes(const std::string &output) {
  const TIntroSizes sizes = MeasureIntro(output.c_str());
  std::printf("wrote %s: %lu bytes\n", output.c_str(), static_cast<unsigned long>(sizes.Total));
  std::printf("%s\n", IntroSizesText(NameOf(output), sizes).c_str());
}

// False when the packer could not be started or reported a failure: the intro stays
// written, as the packer left it.
bool Pack(const std::string &output) {
  const uint32_t unpacked = FileSize(output.c_str());
  unsigned long exitCode = 0;
  if (!RunPacker(PackerPath(), output, &exitCode)) {
    std::fprintf(
        stderr, "sinebuild: --pack failed: the packer could not be started: %s; %s stays written, unpacked\n",
        PackerPath().c_str(), output.c_str());
    return false;
  }
  if (exitCode != 0) {
    std::fprintf(stderr,
                 "sinebuild: --pack failed: the packer ended with exit code %lu; %s stays written, as the "
                 "packer left it\n",
                 exitCode, output.c_str());
    return false;
  }
  const uint32_t packed = FileSize(output.c_str());
  std::printf("packed %s: %lu bytes, %s\n", output.c_str(), static_cast<unsigned long>(packed),
              PackedShareText(packed, unpacked).c_str());
  return true;
}
} // namespace

int main(int argc, char **argv) {
  if (PrintedVersion("sinebuild", argc, argv))
    return 0;
  TBuildCommand command;
  const std::string error = ParseBuildCommand(argc, argv, command);
  if (!error.empty()) {
    std::fprintf(stderr, "sinebuild: %s\n%s", error.c_str(), BuildUsage);
    return 2;
  }
  ApplyBuildCommand(command, BuilderOptions);
  if (ReportProblems(command, BuilderOptions) && command.Strict) {
    std::fprintf(stderr, "sinebuild: --strict: no intro written\n");
    return 1;
  }
  const std::string output = OutputPathFor(command.Out, FileReadable(command.Out.c_str()));
  const TIntroWrite written = WriteIntroFile(BuilderOptions, output.c_str());
  if (!written.NotAdded.empty()) {
    std::fprintf(stderr, "sinebuild: %s is not written: could not add the %s (is the disk full?)\n",
                 output.c_str(), NotAddedText(written).c_str());
    return 1;
  }
  if (written.InUse) {
    std::fprintf(stderr,
                 "sinebuild: cannot write %s: the file is in use (is the intro still running?); it is left "
                 "as it was\n",
                 output.c_str());
    return 1;
  }
  if (!written.Written) {
    std::fprintf(stderr, "sinebuild: cannot write %s\n", output.c_str());
    return 1;
  }
  ReportSizes(output);
  // A failed packing ends the run: what comes after it is for a packed intro.
  if (command.Pack && FileReadable(PackerPath().c_str()) && !Pack(output))
    return 1;
  if (command.Run)
    StartIntro(output);
  if (command.OpenFolder)
    OpenFolderOf(output);
  return 0;
}
