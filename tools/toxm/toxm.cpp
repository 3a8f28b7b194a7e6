// toxm IN OUT.xm: writes the XM 1.04 module an intro built from IN would carry.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "ModuleConverter.h"
#include "ProductVersion.h"
#include "WholeFile.h"

namespace {

const char *const Usage =
    "usage: toxm IN OUT.xm\n"
    "  converts an XM of any version, a MOD, an S3M or an IT module into the XM 1.04 module an intro plays\n";

int UsageError(const char *why) {
  std::fprintf(stderr, "toxm: %s\n%s", why, Usage);
  return 2;
}

int Fail(const char *path, const std::string &why) {
  std::fprintf(stderr, "toxm: %s: %s\n", path, why.c_str());
  return 1;
}

// Windows takes "\" and "/" alike between a path's parts, and "C:" before them.
#ifdef _WIN32
const char *const PathSeparators = "\\/:";
#else
const char *const PathSeparators = "/";
#endif

std::string BaseName(const std::string &path) { return path.substr(path.find_last_of(PathSeparators) + 1); }

} // namespace

int main(int argc, char **argv) {
  if (PrintedVersion("toxm", argc, argv))
    return 0;
  if (argc >= 2 && argv[1][0] == '-' && argv[1][1] != '\0')
    return UsageError((std::string("unknown option ") + argv[1]).c_str());
  if (argc != 3)
    return UsageError("wants a module and an output file");
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof())
    return Fail(argv[1], "cannot read it");
  if (!in.is_open())
    return Fail(argv[1], "cannot read it");
  const ConvertedModule m = ConvertModule(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  if (!m.ok)
    return Fail(argv[1], m.rejection);
  if (!WriteWholeFile(argv[2], m.xm))
    return Fail(argv[2], "cannot write it");
  for (const std::string &line : ConversionReport(BaseName(argv[1]), m))
    std::printf("%s\n", line.c_str());
  return 0;
}
