#pragma once
#include <string>

#include "BuilderOptions.h"

// What follows a build: the packer beside the builder, its command line, the message
// the dialog ends with, and the order of the steps after it.

// "Data\Packer\upx.exe" in the folder of the builder's program file.
std::string PackerPathBeside(const std::string &builderProgram);

// The packer's path and the intro's path, each in double quotes, a blank between: the
// packer runs with its own defaults. Its C run-time splits the line at blanks outside
// quotes, so a quoted path is one argument from any folder.
std::string PackerCommandLine(const std::string &packerPath, const std::string &introPath);

// The message box's icons, as Windows numbers them.
constexpr unsigned MessageIconWarning = 0x30;
constexpr unsigned MessageIconInformation = 0x40;

struct TBuildMessage {
  std::string Text;
  unsigned Icon;
};

// The completion message, or, when `notAdded` names parts, the warning that the intro
// was not written for want of them.
TBuildMessage BuildMessage(const std::string &notAdded);
// The warning that the intro was not written because another program, most likely
// the intro itself still running, has the file open.
TBuildMessage InUseMessage(const std::string &intro);

// The steps after a build, as the front end does them.
struct TPostBuildActions {
  void (*Pack)(const std::string &intro);
  void (*Tell)(const TBuildMessage &message);
  void (*StartIntro)(const std::string &intro);
  void (*OpenFolder)(const std::string &intro);
};

// After a written intro: the packer first, so the message tells of the file as it
// stays, then the message, and only once the user has closed it the intro and its
// folder, as the options say. After a build that lacked parts: the warning alone.
void FinishBuild(const std::string &intro, const std::string &notAdded, const TBuilderOptions &options,
                 const TPostBuildActions &actions);
