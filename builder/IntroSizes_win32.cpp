#include <windows.h>

#include "IntroCreation.h"
#include "IntroSizes.h"

namespace {

uint32_t ResourceSize(HMODULE module, LPCSTR type, LPCSTR name) {
  const HRSRC found = FindResourceA(module, name, type);
  return found ? SizeofResource(module, found) : 0;
}

struct TTypeTotal {
  uint32_t Bytes = 0;
  uint32_t Count = 0;
};

BOOL CALLBACK AddResourceSize(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR total) {
  TTypeTotal &sum = *reinterpret_cast<TTypeTotal *>(total);
  sum.Bytes += ResourceSize(module, type, name);
  sum.Count += 1;
  return TRUE;
}

TTypeTotal TotalOfType(HMODULE module, LPCSTR type) {
  TTypeTotal total;
  EnumResourceNamesA(module, type, &AddResourceSize, reinterpret_cast<LONG_PTR>(&total));
  return total;
}

} // namespace

uint32_t FileSize(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  return GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

TIntroSizes MeasureIntro(const char *path) {
  TIntroSizes sizes;
  sizes.Total = FileSize(path);
  sizes.Player = ResourceSize(GetModuleHandleA(nullptr), RT_RCDATA, MAKEINTRESOURCEA(PlayerResourceId));
  const HMODULE intro = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!intro)
    return sizes;
  sizes.Font = ResourceSize(intro, RT_RCDATA, "Font");
  sizes.Music = ResourceSize(intro, RT_RCDATA, "Music");
  sizes.Settings = ResourceSize(intro, RT_RCDATA, "Info");
  const TTypeTotal images = TotalOfType(intro, RT_ICON);
  sizes.Icon = images.Bytes + TotalOfType(intro, RT_GROUP_ICON).Bytes;
  sizes.IconImages = images.Count;
  FreeLibrary(intro);
  return sizes;
}
