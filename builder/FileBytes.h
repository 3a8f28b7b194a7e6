#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class FileRead { Read, Unreadable, TooLarge };

// The whole of a file, read only when it is no larger than `maxBytes`.
FileRead ReadFileBytes(const char *path, size_t maxBytes, std::vector<uint8_t> &bytes);
