#include "PostBuild_win32.h"

#include <windows.h>

#include "FileReadable.h"
#include "PathText.h"
#include "WholePath.h"

std::string PackerPath() {
  char program[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, program, sizeof program);
  return PackerPathBeside(program);
}

bool RunPacker(const std::string &packerPath, const std::string &introPath, unsigned long *exitCode) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  // Built to the length of both paths, so no path is ever cut or overrun.
  std::string command = PackerCommandLine(packerPath, introPath);
  // The packer's path also names the program itself, so Windows never searches the
  // command line for it.
  if (!CreateProcessA(packerPath.c_str(), &command[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  if (exitCode)
    GetExitCodeProcess(process.hProcess, exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void PackIfPackerPresent(const std::string &introPath) {
  const std::string packer = PackerPath();
  if (FileReadable(packer.c_str()))
    RunPacker(packer, introPath);
}

// The shell gets whole paths, as the file system reads them: a bare name has no
// folder of its own, and the folder of "C:name" is the current one of drive C.
void StartIntro(const std::string &introPath) {
  ShellExecuteA(nullptr, "Open", WholePath(introPath).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenFolderOf(const std::string &introPath) {
  ShellExecuteA(nullptr, "Open", FolderOf(WholePath(introPath)).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {
void ShowBuildMessage(const TBuildMessage &message) {
  MessageBoxA(nullptr, message.Text.c_str(), "Sinewright", MB_OK | message.Icon);
}
} // namespace

const TPostBuildActions DialogPostBuild = {PackIfPackerPresent, ShowBuildMessage, StartIntro, OpenFolderOf};
