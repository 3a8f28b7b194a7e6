#include "IntroCreation.h"

#include "BuilderDialog.h"
#include "FileBytes.h"
#include "FileDialog.h"
#include "FileReadable.h"
#include "IconResources.h"
#include "IntroMusic.h"
#include "PathText.h"
#include "PostBuild_win32.h"
#include "ResourceBytes_win32.h"
#include "WholePath.h"

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

// A new, empty file of its own name in the target's folder: on the same volume, the
// finished intro takes the target's place in one rename. The folder comes from the
// whole path, so "C:/intros/intro.exe" and "C:intro.exe" find theirs too.
std::string TemporaryBeside(const char *target) {
  const std::string folder = FolderOf(WholePath(target));
  char temporary[MAX_PATH + 1];
  if (!GetTempFileNameA(folder.c_str(), "snw", 0, temporary))
    return "";
  return temporary;
}

// Another program holds the file open without sharing writes: a running intro does,
// and Windows then refuses to replace it.
bool HeldOpenElsewhere(const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

// The module the converter makes of the music file, or the file as it is; like a file
// resource, an unreadable or empty file adds nothing and is not the target's failure.
bool AddMusicResource(const char *targetPath, const char *musicPath) {
  constexpr size_t MaxMusicBytes = size_t(1) << 30;
  std::vector<uint8_t> file;
  if (ReadFileBytes(musicPath, MaxMusicBytes, file) != FileRead::Read || file.empty())
    return true;
  TIntroMusic music = MusicForIntro(file);
  return AddResource(targetPath, RT_RCDATA, "Music", &music.Bytes[0], DWORD(music.Bytes.size()));
}

// The parts the user gave that could not be added to the copy, in the order tried.
std::vector<std::string> AddParts(const TBuilderOptions &options, const char *copyPath) {
  std::vector<std::string> notAdded;
  if (FileReadable(options.FontPath) && !AddFileResource(copyPath, options.FontPath, RT_RCDATA, "Font"))
    notAdded.push_back("font");
  if (FileReadable(options.MusicPath) && !AddMusicResource(copyPath, options.MusicPath))
    notAdded.push_back("music");
  if (FileReadable(options.IconPath)) {
    Ico icon;
    if (ReadIconFile(options.IconPath, icon) == IcoProblem::None &&
        !WriteIconResources(copyPath, icon, 1, 1, IconLanguage))
      notAdded.push_back("icon");
  }
  if (!AddSettingsResource(copyPath, options))
    notAdded.push_back("settings");
  return notAdded;
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
  DWORD written = 0;
  const bool whole = WriteFile(file, player.data, player.size, &written, nullptr) && written == player.size;
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

// The intro is made whole in a file of its own and only then put in the target's
// place, so a build that fails anywhere leaves the user's earlier intro as it was.
TIntroWrite WriteIntroFile(const TBuilderOptions &options, const char *outputPath) {
  TIntroWrite result;
  const std::string building = TemporaryBeside(outputPath);
  if (building.empty())
    return result;
  if (WritePlayerCopy(PlayerResourceId, int(uintptr_t(RT_RCDATA)), building.c_str())) {
    result.NotAdded = AddParts(options, building.c_str());
    result.Written =
        result.NotAdded.empty() &&
        MoveFileExA(building.c_str(), outputPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    result.InUse = result.NotAdded.empty() && !result.Written && HeldOpenElsewhere(outputPath);
  }
  if (!result.Written)
    DeleteFileA(building.c_str());
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
  // Only a copy that could not be made or put in place for another reason than a
  // running intro ends the build without a word.
  if (written.InUse)
    DialogPostBuild.Tell(InUseMessage(output));
  else if (written.Written || !written.NotAdded.empty())
    FinishBuild(output, NotAddedText(written), BuilderOptions, DialogPostBuild);
}
