#include "BuilderDialog.h"

#include <string>

#include "BuilderOptions.h"
#include "FileDialog.h"
#include "IntroCreation.h"
#include "UTypes.h"

HWND DialogHandle;
HINSTANCE BuilderInstance;

namespace {
constexpr WPARAM TitleLimit = 1256;

struct RadioCode {
  int id;
  int32_t code;
};

// Asked in this order; the first checked one gives the scrolling type.
constexpr RadioCode ScrollRadios[] = {
    {LineRadio, ScrollLine},     {WaveXRadio, ScrollWaveX},     {WaveYRadio, ScrollWaveY},
    {WaveZRadio, ScrollWaveZ},   {WaveYZRadio, ScrollWaveYZ},   {WaveXYRadio, ScrollWaveXY},
    {WaveXZRadio, ScrollWaveXZ}, {WaveXYZRadio, ScrollWaveXYZ},
};

bool Checked(int id) { return SendDlgItemMessageA(DialogHandle, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ReadFlag(int id, char (&flag)[2]) { flag[0] = Checked(id) ? '1' : '0'; }

// The whole buffer is offered, NUL included, so no text can run past it.
template <int32_t N> void ReadText(int id, char (&buffer)[N]) {
  buffer[0] = '\0';
  GetDlgItemTextA(DialogHandle, id, buffer, N - 1);
}

constexpr int DefaultChecks[] = {LineRadio, CloseOnEscBox, OpenFolderBox, PackIntroBox, WindowRadio};

void SetProgramIcon(HWND dialog) {
  for (WPARAM size : {ICON_SMALL, ICON_BIG})
    SendMessageA(dialog, WM_SETICON, size, LPARAM(LoadIconA(BuilderInstance, MAKEINTRESOURCEA(BuilderIconId))));
}

// A path chosen by browsing replaces what the box shows; a cancel leaves it.
void BrowseInto(int box, const char *filter) {
  ReadOptions();
  char path[MAX_PATH + 1];
  if (BrowseForFile(DialogHandle, filter, "Open File...", path))
    SetDlgItemTextA(DialogHandle, box, path);
}

// Only a click is a command: wParam is compared whole, so notifications never match.
void HandleCommand(HWND dialog, WPARAM command) {
  switch (command) {
  case BrowseFontButton: BrowseInto(FontPathBox, "TGA Font File(*.tga)\0*.tga;\0"); break;
  case BrowseMusicButton: BrowseInto(MusicPathBox, "Modules (*.xm;*.mod;*.s3m;*.it)\0*.xm;*.mod;*.s3m;*.it\0"); break;
  case BrowseIconButton: BrowseInto(IconPathBox, "Windows Icon(*.ico)\0*.ico;\0"); break;
  case CreateButton: CreateIntro(); break;
  case ExitButton: EndDialog(dialog, 0); break;
  default: break; // IDOK and IDCANCEL too: Enter and Esc leave the dialog open
  }
}
} // namespace

INT_PTR CALLBACK BuilderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    DialogHandle = dialog;
    SetProgramIcon(dialog);
    SetDefaultChecks();
    break;
  case WM_COMMAND: HandleCommand(dialog, wParam); break;
  case WM_DROPFILES: HandleDroppedFile(HDROP(wParam)); break;
  case WM_CLOSE:
  case WM_DESTROY: EndDialog(DialogHandle, 0); break;
  default: break;
  }
  return FALSE;
}

void SetDefaultChecks() {
  for (int id : DefaultChecks)
    SendDlgItemMessageA(DialogHandle, id, BM_SETCHECK, BST_CHECKED, 0);
}

bool BrowseForFile(HWND owner, const char *filter, const char *title, char (&path)[MAX_PATH + 1]) {
  return ShowFileDialog(false, owner, filter, title, path);
}

void HandleDroppedFile(HDROP drop) {
  char path[MAX_PATH + 1] = {};
  DragQueryFileA(drop, 0, path, MAX_PATH);
  if (const int box = BoxForDroppedFile(path))
    SetDlgItemTextA(DialogHandle, box, path);
  DragFinish(drop);
}

void ReadOptions() {
  SendDlgItemMessageA(DialogHandle, TitleBox, EM_LIMITTEXT, TitleLimit, 0);
  ReadText(FontPathBox, BuilderOptions.FontPath);
  ReadText(MusicPathBox, BuilderOptions.MusicPath);
  ReadText(TitleBox, BuilderOptions.Title);
  ReadText(ScrollTextBox, BuilderOptions.ScrollText);
  ReadText(IconPathBox, BuilderOptions.IconPath);
  for (const RadioCode &radio : ScrollRadios)
    if (Checked(radio.id)) {
      BuilderOptions.ScrollType = radio.code;
      break;
    }
  ReadFlag(CloseOnClickBox, BuilderOptions.CloseOnClick);
  BuilderOptions.RunIntro = Checked(RunIntroBox);
  BuilderOptions.OpenFolder = Checked(OpenFolderBox);
  BuilderOptions.PackIntro = Checked(PackIntroBox);
  ReadFlag(FullScreenRadio, BuilderOptions.FullScreen);
}
