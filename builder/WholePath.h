#pragma once
#include <string>

// The path as Windows resolves it: absolute, "\" between the parts, a drive-relative
// "C:name" taken in that drive's current folder. The path as it is when Windows
// cannot resolve it.
std::string WholePath(const std::string &path);
