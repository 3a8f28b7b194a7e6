#pragma once
#include <cstdio>
#include <cstring>

// `PROGRAM --version` prints the release's version and nothing else; true when it did.
inline bool PrintedVersion(const char *program, int argc, char **argv) {
  if (argc != 2 || std::strcmp(argv[1], "--version") != 0)
    return false;
  std::printf("%s %s\n", program, PRODUCT_VERSION);
  return true;
}
