#pragma once
#include <string>

// What follows a build: the packer beside the builder, and its command line.

// "\Data\Packer\upx.exe" in the folder of the builder's program file. The folder
// keeps its final "\", so the two meet at a doubled "\", which the file system
// reads as one.
std::string PackerPathBeside(const std::string &builderProgram);

// The packer's path as it is, a blank, and the intro's path in double quotes: the
// packer runs with its own defaults.
std::string PackerCommandLine(const std::string &packerPath, const std::string &introPath);
