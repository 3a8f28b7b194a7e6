#pragma once
#include <cstdint>
#include <string>

#include "BuilderOptions.h"

// sinebuild's command line: what the dialog's controls are for the builder.
struct TBuildCommand {
  std::string Out, Title, Text, Font, Music, Icon;
  int32_t ScrollType = 0;
  bool FullScreen = false, CloseOnClick = false, Pack = false, Run = false, OpenFolder = false,
       Strict = false;
};

extern const char BuildUsage[];

// "" when the arguments make a command, else what is wrong with them.
std::string ParseBuildCommand(int argc, const char *const *argv, TBuildCommand &command);

// The options that the creation code reads, as the dialog would have set them.
void ApplyBuildCommand(const TBuildCommand &command, TBuilderOptions &options);
