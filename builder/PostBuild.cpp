#include "PostBuild.h"

#include "PathText.h"

std::string PackerPathBeside(const std::string &builderProgram) {
  return FolderOf(builderProgram) + "Data\\Packer\\upx.exe";
}

namespace {
std::string Quoted(const std::string &path) { return "\"" + path + "\""; }
} // namespace

std::string PackerCommandLine(const std::string &packerPath, const std::string &introPath) {
  return Quoted(packerPath) + " " + Quoted(introPath);
}

TBuildMessage BuildMessage(const std::string &notAdded) {
  if (notAdded.empty())
    return {"Intro have been created :)", MessageIconInformation};
  return {"The intro was not written: its " + notAdded +
              " could not be added (is the disk full?). A file already at that path is left as it was.",
          MessageIconWarning};
}

TBuildMessage InUseMessage(const std::string &intro) {
  return {"The intro was not written: " + intro +
              " is in use, perhaps by the intro still running. The file is left as it was.",
          MessageIconWarning};
}

void FinishBuild(const std::string &intro, const std::string &notAdded, const TBuilderOptions &options,
                 const TPostBuildActions &actions) {
  if (!notAdded.empty()) {
    actions.Tell(BuildMessage(notAdded));
    return;
  }
  if (options.PackIntro)
    actions.Pack(intro);
  actions.Tell(BuildMessage(""));
  if (options.RunIntro)
    actions.StartIntro(intro);
  if (options.OpenFolder)
    actions.OpenFolder(intro);
}
