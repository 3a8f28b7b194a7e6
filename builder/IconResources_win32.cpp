#include "IconResources.h"

#include <vector>

#include "FileBytes.h"

IcoProblem ReadIconFile(const char *path, Ico &icon) {
  icon = Ico();
  std::vector<uint8_t> bytes;
  const FileRead read = ReadFileBytes(path, MaxIconFileBytes, bytes);
  if (read == FileRead::TooLarge)
    return IcoProblem::LargerThanAnyIcon;
  return ParseIconFile(bytes.data(), bytes.size(), icon);
}

bool WriteIconResources(const char *targetPath, const Ico &icon, WORD firstId, WORD groupId, WORD language) {
  HANDLE update = BeginUpdateResourceA(targetPath, FALSE);
  if (!update)
    return false;
  const IcoExe group = BuildGroupDirectory(icon, firstId);
  std::vector<uint8_t> groupData = GroupResourceData(group);
  if (!UpdateResourceA(update, RT_GROUP_ICON, MAKEINTRESOURCEA(groupId), language, groupData.data(),
                       DWORD(groupData.size()))) {
    EndUpdateResourceA(update, FALSE);
    return false;
  }
  for (size_t i = 0; i < group.Entries.size(); ++i)
    UpdateResourceA(update, RT_ICON, MAKEINTRESOURCEA(group.Entries[i].Id), language,
                    const_cast<uint8_t *>(icon.Images[i].data()), DWORD(icon.Images[i].size()));
  return EndUpdateResourceA(update, FALSE) != FALSE;
}
