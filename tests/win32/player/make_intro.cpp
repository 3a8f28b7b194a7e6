// Makes an intro the way the builder does, for the tests: copies the player and adds
// the settings text, the font and the music as RCDATA resources of the copy.
//   make_intro PLAYER.exe OUT.exe [--info TEXT] [--font FILE] [--music FILE]
// The settings text gets its NUL; the files go in unchanged. Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr WORD IntroLanguage = 0x1401;

bool ReadWholeFile(const char *path, std::string &bytes) {
  FILE *file = fopen(path, "rb");
  if (!file)
    return false;
  char block[65536];
  size_t n;
  while ((n = fread(block, 1, sizeof block, file)) > 0)
    bytes.append(block, n);
  fclose(file);
  return true;
}

// One update cycle per resource, as the builder does it.
bool AddResource(const char *intro, const char *name, const std::string &bytes) {
  HANDLE update = BeginUpdateResourceA(intro, FALSE);
  if (!update)
    return false;
  bool added = UpdateResourceA(update, RT_RCDATA, name, IntroLanguage, const_cast<char *>(bytes.data()),
                               DWORD(bytes.size()));
  return EndUpdateResourceA(update, !added) && added;
}

int Fail(const char *what, const char *detail) {
  fprintf(stderr, "make_intro: %s %s\n", what, detail);
  return 1;
}
} // namespace

int main(int argc, char **argv) {
  if (argc < 3 || argc % 2 == 0)
    return Fail("usage:", "PLAYER.exe OUT.exe [--info TEXT] [--font FILE] [--music FILE]");
  const char *intro = argv[2];
  if (!CopyFileA(argv[1], intro, FALSE))
    return Fail("cannot copy the player to", intro);
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string option = argv[i], bytes;
    const char *name = option == "--info"    ? "Info"
                       : option == "--font"  ? "Font"
                       : option == "--music" ? "Music"
                                             : nullptr;
    if (!name)
      return Fail("unknown option", argv[i]);
    if (option == "--info")
      bytes.assign(argv[i + 1], strlen(argv[i + 1]) + 1);
    else if (!ReadWholeFile(argv[i + 1], bytes))
      return Fail("cannot read", argv[i + 1]);
    if (!AddResource(intro, name, bytes))
      return Fail("cannot add a resource to", intro);
  }
  return 0;
}
