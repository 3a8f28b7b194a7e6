#pragma once
#include <string>

// Writes beside the target first and renames, so a failed write leaves neither a
// half-written file nor the part behind.
bool WriteWholeFile(const std::string &path, const std::string &bytes);
