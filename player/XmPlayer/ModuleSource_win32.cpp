#include "ModuleSource_win32.h"

#include "ResourceBytes_win32.h"

namespace {

uint32_t readFileAt(void *file, uint32_t offset, void *destination, uint32_t count) {
  DWORD got = 0;
  LONG high = 0; // offsets of 2 GiB and more stay positive
  SetFilePointer(file, LONG(offset), &high, FILE_BEGIN);
  if (!ReadFile(file, destination, count, &got, nullptr))
    return 0;
  return got;
}

} // namespace

void openResourceSource(ModuleSource &source, HMODULE module, const char *name) {
  const ResourceBytes resource = FindResourceBytes(module, name, RT_RCDATA);
  openMemorySource(source, resource.data, resource.size);
}

void openFileSourceByPath(ModuleSource &source, const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  openFileSource(source, file, &readFileAt);
}

void closeSource(ModuleSource &source) {
  if (source.readAt && source.file != INVALID_HANDLE_VALUE)
    CloseHandle(source.file);
  source.file = nullptr;
}
