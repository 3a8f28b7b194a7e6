#include "WholePath.h"

#include <windows.h>

std::string WholePath(const std::string &path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0)
    return path;
  std::string whole(needed, '\0');
  const DWORD length = GetFullPathNameA(path.c_str(), needed, &whole[0], nullptr);
  if (length == 0 || length >= needed)
    return path;
  whole.resize(length);
  return whole;
}
