#include "PostBuild.h"

#include "PathText.h"

std::string PackerPathBeside(const std::string &builderProgram) {
  return FolderOf(builderProgram) + "\\Data\\Packer\\upx.exe";
}

std::string PackerCommandLine(const std::string &packerPath, const std::string &introPath) {
  return packerPath + " \"" + introPath + "\"";
}
