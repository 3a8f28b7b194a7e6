// icongen intro OUT.ico    the demo intro's icon (16, 32 and 48 pixels, 32 bits)
// icongen builder OUT.ico  the builder's program icon (48 pixels, 16 colours)
// The pictures are drawn by this program, the same bytes on every run. Exit 2 with
// the usage for bad arguments, 1 with one line when the file cannot be written.
#include <cstdio>
#include <string>

#include "Icons.h"
#include "WholeFile.h"

namespace {

const char *const Usage = "usage: icongen intro|builder OUT.ico\n";

} // namespace

int main(int argc, char **argv) {
  const std::string which = argc == 3 ? argv[1] : "";
  if (which != "intro" && which != "builder") {
    std::fprintf(stderr, "icongen: wants intro or builder and an output file\n%s", Usage);
    return 2;
  }
  const std::string bytes = which == "intro" ? IntroIconFile() : BuilderIconFile();
  if (!WriteWholeFile(argv[2], bytes)) {
    std::fprintf(stderr, "icongen: cannot write: %s\n", argv[2]);
    return 1;
  }
  return 0;
}
