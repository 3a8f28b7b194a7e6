// Stands at Data\Packer\upx.exe beside a builder under test. It writes its own
// program file's path, its command line and then each argument after the program, as
// its C run-time splits them (the way UPX's does), a line each, to the file that
// PACKER_LOG names, and packs the intro, its last argument, with the real upx through
// the shell script that PACKER_SCRIPT names. Without PACKER_SCRIPT it packs nothing
// and ends with exit code 2, a packer that fails. Wine gives a Windows program no
// handle to a Unix process it starts, so the shim waits for the script's "done" file
// itself: the builder's wait for the shim is then a wait for upx. Its last line says
// whether the builder's completion message was already showing when it ended.
//   upx.exe "C:\path\intro.exe"   (exit code: upx's)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
typedef char *(CDECL *UnixFileName)(LPCWSTR);

std::string UnixPathOf(const char *windowsPath) {
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, MAX_PATH * 2);
  auto toUnix = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  char *unix = toUnix ? toUnix(wide) : nullptr;
  std::string path = unix ? unix : "";
  if (unix)
    HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

void Record(const char *log, int argc, char **argv) {
  FILE *f = std::fopen(log, "wb");
  if (f) {
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::fprintf(f, "%s\n%s\n", self, GetCommandLineA());
    for (int i = 1; i < argc; ++i)
      std::fprintf(f, "%s\n", argv[i]);
    std::fclose(f);
  }
}

int WaitForDone(const std::string &doneFile) {
  for (int waited = 0; waited < 600000; waited += 100) {
    if (FILE *f = std::fopen(doneFile.c_str(), "rb")) {
      int code = 1;
      if (std::fscanf(f, "%d", &code) != 1)
        code = 1;
      std::fclose(f);
      return code;
    }
    Sleep(100);
  }
  return 1;
}
} // namespace

int main(int argc, char **argv) {
  const char *log = std::getenv("PACKER_LOG");
  const char *script = std::getenv("PACKER_SCRIPT");
  if (log)
    Record(log, argc, argv);
  if (argc < 2 || !script)
    return 2;
  const char *introPath = argv[argc - 1];
  const std::string intro = UnixPathOf(introPath);
  const std::string done = std::string(introPath) + ".done";
  DeleteFileA(done.c_str());
  std::string command =
      std::string("Z:\\bin\\sh \"") + script + "\" \"" + intro + "\" \"" + UnixPathOf(done.c_str()) + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 3;
  const int code = WaitForDone(done);
  DeleteFileA(done.c_str());
  // A dialog that did not wait for the packer shows its completion message by now.
  if (FILE *f = log ? std::fopen(log, "ab") : nullptr) {
    std::fprintf(f, "%s\n", FindWindowA("#32770", "Sinewright") ? "ended after the message" : "ended");
    std::fclose(f);
  }
  return code;
}
