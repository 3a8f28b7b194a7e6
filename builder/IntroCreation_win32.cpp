#include "IntroCreation.h"

#include "BuilderDialog.h"
#include "FileDialog.h"
#include "FileReadable.h"
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

// One resource in an update of its own; true when the update was committed.
bool AddResource(const char *targetPath, const char *type, const char *name, void *data, DWORD size) {
  HANDLE update = BeginUpdateResourceA(targetPath, FALSE);
  if (!update)
    return false;
  const bool queued = UpdateResourceA(update, type, name, IntroLanguage, data, size) != FALSE;
  return EndUpdateResourceA(update, FALSE) != FALSE && queued;
}

bool AddSettingsResource(const char *outputPath, const TBuilderOptions &options) {
  const std::string text = SettingsTextOf(options);
  // The NUL is part of the resource.
  return AddResource(outputPath, RT_RCDATA, "Info", const_cast<char *>(text.c_str()), DWORD(text.size() + 1));
}

// A write that stopped short leaves no file that looks like an intro: it goes back
// to length 0, as when the player could not be loaded at all.
bool WriteWhole(HANDLE file, const void *data, DWORD size) {
  DWORD written = 0;
  if (WriteFile(file, data, size, &written, nullptr) && written == size)
    return true;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  return false;
}
} // namespace

bool ChooseOutputFile(HWND owner, const char *filter, const char *title, std::string &path) {
  char file[MAX_PATH + 1];
  if (!ShowFileDialog(true, owner, filter, title, file))
    return false;
  path = file;
  return true;
}

bool WritePlayerCopy(int resourceId, int resourceType, const char *outputPath) {
  const ResourceBytes player =
      FindResourceBytes(nullptr, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(resourceType));
  if (!player.data)
    return false;
  HANDLE file = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            ArchiveAttribute, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  const bool whole = WriteWhole(file, player.data, player.size);
  CloseHandle(file);
  return whole;
}

bool AddFileResource(const char *targetPath, const char *sourcePath, const char *resourceType,
                     const char *resourceName) {
  HANDLE file = CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return true;
  const DWORD size = GetFileSize(file, nullptr);
  // An empty file cannot be mapped: nothing is added for it.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void *view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  const bool added = !view || AddResource(targetPath, resourceType, resourceName, view, size);
  if (view)
    UnmapViewOfFile(view);
  if (mapping)
    CloseHandle(mapping);
  CloseHandle(file);
  return added;
}

TIntroWrite WriteIntroFile(const TBuilderOptions &options, const char *outputPath) {
  TIntroWrite result;
  result.PlayerWritten = WritePlayerCopy(PlayerResourceId, int(uintptr_t(RT_RCDATA)), outputPath);
  if (!result.PlayerWritten)
    return result;
  if (FileReadable(options.FontPath) && !AddFileResource(outputPath, options.FontPath, RT_RCDATA, "Font"))
    result.NotAdded.push_back("font");
  if (FileReadable(options.MusicPath) && !AddFileResource(outputPath, options.MusicPath, RT_RCDATA, "Music"))
    result.NotAdded.push_back("music");
  if (FileReadable(options.IconPath)) {
    Ico icon;
    if (ReadIconFile(options.IconPath, icon) == IcoProblem::None &&
        !WriteIconResources(outputPath, icon, 1, 1, IconLanguage))
      result.NotAdded.push_back("icon");
  }
  if (!AddSettingsResource(outputPath, options))
    result.NotAdded.push_back("settings");
  return result;
}

std::string NotAddedText(const TIntroWrite &written) {
  std::string text;
  for (const std::string &part : written.NotAdded)
    text += (text.empty() ? "" : ", ") + part;
  return text;
}

void CreateIntro() {
  ReadOptions();
  ReplaceSeparators(BuilderOptions.Title);
  ReplaceSeparators(BuilderOptions.ScrollText);
  std::string chosen;
  if (!ChooseOutputFile(DialogHandle, "Introduction File(*.exe)\0*.exe;\0", "Save as", chosen))
    return;
  const std::string output = OutputPathFor(chosen, FileReadable(chosen.c_str()));
  const TIntroWrite written = WriteIntroFile(BuilderOptions, output.c_str());
  if (!written.PlayerWritten)
    return;
  if (BuilderOptions.PackIntro)
    PackIfPackerPresent(output);
  if (written.NotAdded.empty()) {
    MessageBoxA(nullptr, "Intro have been created :)", "Sinewright", MB_OK | MB_ICONINFORMATION);
  } else {
    // Never the success message for an intro that lacks what the user gave it.
    const std::string message = "The intro was written without its " + NotAddedText(written) +
                                ": the file could not be updated (is it in use, or the disk full?)";
    MessageBoxA(nullptr, message.c_str(), "Sinewright", MB_OK | MB_ICONWARNING);
  }
  if (BuilderOptions.RunIntro)
    StartIntro(output);
  if (BuilderOptions.OpenFolder)
    OpenFolderOf(output);
}
