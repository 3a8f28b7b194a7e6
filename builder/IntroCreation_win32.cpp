#include "IntroCreation.h"

#include "BuilderDialog.h"
#include "FileDialog.h"
#include "IconResources.h"
#include "PostBuild_win32.h"
#include "ResourceBytes_win32.h"

namespace {
constexpr DWORD ArchiveAttribute = 0x20;

void ReplaceSeparators(char *text) {
  for (; *text; ++text)
    if (*text == '|')
      *text = ' ';
}

void AddSettingsResource(const char *outputPath, const TBuilderOptions &options) {
  const std::string text = SettingsTextOf(options);
  HANDLE update = BeginUpdateResourceA(outputPath, FALSE);
  if (!update)
    return;
  // The NUL is part of the resource.
  UpdateResourceA(update, RT_RCDATA, "Info", IntroLanguage, const_cast<char *>(text.c_str()),
                  DWORD(text.size() + 1));
  EndUpdateResourceA(update, FALSE);
}
} // namespace

bool ChooseOutputFile(HWND owner, const char *filter, const char *title, std::string &path) {
  char file[MAX_PATH + 1];
  if (!ShowFileDialog(true, owner, filter, title, file))
    return false;
  path = file;
  return true;
}

bool FileReadable(const char *path) {
  if (!path[0])
    return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

bool WritePlayerCopy(int resourceId, int resourceType, const char *outputPath) {
  const ResourceBytes player = FindResourceBytes(nullptr, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(resourceType));
  if (!player.data)
    return false;
  HANDLE file = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            ArchiveAttribute, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  WriteFile(file, player.data, player.size, &written, nullptr);
  CloseHandle(file);
  return true;
}

void AddFileResource(const char *targetPath, const char *sourcePath, const char *resourceType,
                     const char *resourceName) {
  HANDLE file = CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  const DWORD size = GetFileSize(file, nullptr);
  // An empty file cannot be mapped: nothing is added for it.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void *view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  HANDLE update = view ? BeginUpdateResourceA(targetPath, FALSE) : nullptr;
  if (update) {
    UpdateResourceA(update, resourceType, resourceName, IntroLanguage, view, size);
    EndUpdateResourceA(update, FALSE);
  }
  if (view)
    UnmapViewOfFile(view);
  if (mapping)
    CloseHandle(mapping);
  CloseHandle(file);
}

bool WriteIntroFile(const TBuilderOptions &options, const char *outputPath) {
  if (!WritePlayerCopy(PlayerResourceId, int(uintptr_t(RT_RCDATA)), outputPath))
    return false;
  if (FileReadable(options.FontPath))
    AddFileResource(outputPath, options.FontPath, RT_RCDATA, "Font");
  if (FileReadable(options.MusicPath))
    AddFileResource(outputPath, options.MusicPath, RT_RCDATA, "Music");
  if (FileReadable(options.IconPath)) {
    Ico icon;
    if (ReadIconFile(options.IconPath, icon) == IcoProblem::None)
      WriteIconResources(outputPath, icon, 1, 1, IconLanguage);
  }
  AddSettingsResource(outputPath, options);
  return true;
}

void CreateIntro() {
  ReadOptions();
  ReplaceSeparators(BuilderOptions.Title);
  ReplaceSeparators(BuilderOptions.ScrollText);
  std::string chosen;
  if (!ChooseOutputFile(DialogHandle, "Introduction File(*.exe)\0*.exe;\0", "Save as", chosen))
    return;
  const std::string output = OutputPathFor(chosen, FileReadable(chosen.c_str()));
  if (!WriteIntroFile(BuilderOptions, output.c_str()))
    return;
  if (BuilderOptions.PackIntro)
    PackIfPackerPresent(output);
  MessageBoxA(nullptr, "Intro have been created :)", "Sinewright", MB_OK | MB_ICONINFORMATION);
  if (BuilderOptions.RunIntro)
    StartIntro(output);
  if (BuilderOptions.OpenFolder)
    OpenFolderOf(output);
}
