#pragma once
#include <string>

#include "PostBuild.h"

// "Data\Packer\upx.exe" beside the running builder.
std::string PackerPath();
// Starts the packer on the intro with its window hidden and waits, without a time
// limit, until it ends; true when it could be started. `exitCode`, when given,
// receives the packer's exit code.
bool RunPacker(const std::string &packerPath, const std::string &introPath,
               unsigned long *exitCode = nullptr);
// Packs the intro when the packer is there; a missing packer skips it silently.
void PackIfPackerPresent(const std::string &introPath);
void StartIntro(const std::string &introPath);
// The shell shows the intro's folder in a window of its own.
void OpenFolderOf(const std::string &introPath);
// The dialog's steps after a build: these, with the message in a message box.
extern const TPostBuildActions DialogPostBuild;
