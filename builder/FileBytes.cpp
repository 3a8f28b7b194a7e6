#include "FileBytes.h"

#include <cstdio>

FileRead ReadFileBytes(const char *path, size_t maxBytes, std::vector<uint8_t> &bytes) {
  bytes.clear();
  FILE *file = std::fopen(path, "rb");
  if (!file)
    return FileRead::Unreadable;
  FileRead result = FileRead::Read;
  uint8_t block[65536];
  size_t n;
  while (result == FileRead::Read && (n = std::fread(block, 1, sizeof block, file)) > 0) {
    if (n > maxBytes - bytes.size())
      result = FileRead::TooLarge;
    else
      bytes.insert(bytes.end(), block, block + n);
  }
  if (result == FileRead::Read && std::ferror(file))
    result = FileRead::Unreadable;
  std::fclose(file);
  if (result != FileRead::Read)
    bytes.clear();
  return result;
}
