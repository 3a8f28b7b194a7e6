#include "FileDialog.h"

namespace {
constexpr DWORD FileDialogStructSize = 76; // the size every Windows version takes
}

bool ShowFileDialog(bool save, HWND owner, const char *filter, const char *title, char (&path)[MAX_PATH + 1]) {
  path[0] = '\0';
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = FileDialogStructSize;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_HIDEREADONLY;
  return (save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog)) != FALSE;
}
