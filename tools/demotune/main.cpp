// demotune OUT.xm: writes the intro's bundled demo tune.
#include <cstdio>
#include <string>

#include "DemoTune.h"
#include "WholeFile.h"

int main(int argc, char **argv) {
  if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
    std::fputs("usage: demotune OUT.xm\n", stderr);
    return 2;
  }
  if (!WriteWholeFile(argv[1], writeXm(composeDemoTune()))) {
    std::fprintf(stderr, "demotune: cannot write: %s\n", argv[1]);
    return 1;
  }
  return 0;
}
