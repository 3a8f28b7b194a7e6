#include "WholeFile.h"

#include <cstdio>

#include "MoveOver.h"

bool WriteWholeFile(const std::string &path, const std::string &bytes) {
  const std::string partial = path + ".part";
  std::FILE *file = std::fopen(partial.c_str(), "wb");
  if (!file)
    return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fclose(file) == 0 && written;
  if (written && MoveOver(partial, path))
    return true;
  std::remove(partial.c_str());
  return false;
}
