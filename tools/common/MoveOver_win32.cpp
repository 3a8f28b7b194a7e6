#include "MoveOver.h"

#include <windows.h>

// The C library's rename refuses a target that exists on Windows.
bool MoveOver(const std::string &from, const std::string &to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
