// The builder dialog in this process, on a real screen: its states after it starts,
// what ReadOptions takes from them, and files dropped on it as the shell drops them.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <thread>
#include <utility>

#include "BuilderDialog.h"
#include "BuilderOptions.h"

namespace {
// A DROPFILES block as the shell hands it over: the header, then NUL-separated ANSI
// paths ending in a double NUL.
HDROP DropOf(std::initializer_list<const char *> paths) {
  std::string names;
  for (const char *p : paths)
    names.append(p).push_back('\0');
  names.push_back('\0');
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
  auto *header = static_cast<DROPFILES *>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char *>(header) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(block);
  return HDROP(block);
}

std::string BoxText(int id) {
  char text[MAX_PATH + 1] = {};
  GetDlgItemTextA(DialogHandle, id, text, sizeof text);
  return text;
}

// Answers the next open dialog with `path`, as a user would type it and press Enter.
void AnswerOpenDialog(const std::string &path) {
  HWND chooser = nullptr;
  for (int waited = 0; !chooser && waited < 120000; waited += 50) {
    Sleep(50);
    chooser = FindWindowA(nullptr, "Open File...");
  }
  ASSERT_NE(chooser, nullptr);
  Sleep(500);
  HWND name = GetDlgItem(chooser, 0x47C); // the file name box of the explorer-style dialog
  SetWindowTextA(name ? name : GetDlgItem(chooser, 0x480), path.c_str());
  PostMessageA(chooser, WM_COMMAND, IDOK, 0);
}

class BuilderDialog : public ::testing::Test {
protected:
  void SetUp() override {
    BuilderInstance = GetModuleHandleA(nullptr);
    dialog = CreateDialogParamA(BuilderInstance, MAKEINTRESOURCEA(BuilderDialogId), nullptr, BuilderDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override { DestroyWindow(dialog); }
  static bool Checked(int id) { return IsDlgButtonChecked(DialogHandle, id) == BST_CHECKED; }
  HWND dialog = nullptr;
};
} // namespace

TEST_F(BuilderDialog, StartsWithLineWindowEscFolderAndPackChecked) {
  EXPECT_EQ(DialogHandle, dialog);
  for (int id = BrowseFontButton; id <= FullScreenRadio; ++id) {
    const bool onAtStart = id == LineRadio || id == CloseOnEscBox || id == OpenFolderBox || id == PackIntroBox ||
                           id == WindowRadio;
    EXPECT_EQ(Checked(id), onAtStart) << "control " << id;
  }
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, CloseOnEscBox)));
  EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
  ReadOptions();
  EXPECT_EQ(SettingsTextOf(BuilderOptions), "||0|0|0");
  EXPECT_TRUE(BuilderOptions.PackIntro && BuilderOptions.OpenFolder && !BuilderOptions.RunIntro);
}

TEST_F(BuilderDialog, ClicksReachTheOptionsOfTheNextBuild) {
  SetDlgItemTextA(dialog, TitleBox, "A|B");
  SendDlgItemMessageA(dialog, WaveYZRadio, BM_CLICK, 0, 0);
  SendDlgItemMessageA(dialog, CloseOnClickBox, BM_CLICK, 0, 0);
  SendDlgItemMessageA(dialog, FullScreenRadio, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(LineRadio));
  EXPECT_FALSE(Checked(WindowRadio));
  ReadOptions();
  EXPECT_EQ(SettingsTextOf(BuilderOptions), "A B||51|1|1");
  SendDlgItemMessageA(dialog, CloseOnClickBox, BM_CLICK, 0, 0);
  ReadOptions();
  EXPECT_EQ(SettingsTextOf(BuilderOptions), "A B||51|0|1");
}

TEST_F(BuilderDialog, EachScrollingTypeRadioGivesItsCode) {
  // By the template's numbers; "Line." last, so its 0 is not the code left from before.
  const std::pair<int, int32_t> radios[] = {{612, 88}, {613, 89}, {614, 90}, {615, 51},
                                            {616, 49}, {617, 50}, {618, 52}, {611, 0}};
  for (const auto &radio : radios) {
    SendDlgItemMessageA(dialog, radio.first, BM_CLICK, 0, 0);
    ReadOptions();
    EXPECT_EQ(BuilderOptions.ScrollType, radio.second) << "radio " << radio.first;
  }
}

TEST_F(BuilderDialog, EachPathBoxReachesItsOwnPath) {
  SetDlgItemTextA(dialog, 605, "C:\\f.tga");
  SetDlgItemTextA(dialog, 606, "C:\\m.xm");
  SetDlgItemTextA(dialog, 610, "C:\\i.ico");
  ReadOptions();
  EXPECT_STREQ(BuilderOptions.FontPath, "C:\\f.tga");
  EXPECT_STREQ(BuilderOptions.MusicPath, "C:\\m.xm");
  EXPECT_STREQ(BuilderOptions.IconPath, "C:\\i.ico");
}

TEST_F(BuilderDialog, OnlyTheFirstDroppedFileCountsByItsExtension) {
  SendMessageA(dialog, WM_DROPFILES, WPARAM(DropOf({"C:\\Fonts\\BIG.TGA", "C:\\m.xm", "C:\\i.ico"})), 0);
  EXPECT_EQ(BoxText(FontPathBox), "C:\\Fonts\\BIG.TGA");
  EXPECT_EQ(BoxText(MusicPathBox), "");
  EXPECT_EQ(BoxText(IconPathBox), "");
  SendMessageA(dialog, WM_DROPFILES, WPARAM(DropOf({"C:\\tunes.xm\\README"})), 0);
  SendMessageA(dialog, WM_DROPFILES, WPARAM(DropOf({"C:\\music\\song"})), 0);
  EXPECT_EQ(BoxText(MusicPathBox), "");
  SendMessageA(dialog, WM_DROPFILES, WPARAM(DropOf({"C:\\a.Ico"})), 0);
  EXPECT_EQ(BoxText(IconPathBox), "C:\\a.Ico");
}

TEST_F(BuilderDialog, ADropAfterABrowseShowsTheDroppedPath) {
  CloseHandle(CreateFileA("browsed.tga", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  char browsed[MAX_PATH + 1];
  GetFullPathNameA("browsed.tga", sizeof browsed, browsed, nullptr);
  std::thread user(AnswerOpenDialog, std::string(browsed));
  SendMessageA(dialog, WM_COMMAND, BrowseFontButton, 0);
  user.join();
  EXPECT_EQ(BoxText(FontPathBox), browsed);
  SendMessageA(dialog, WM_DROPFILES, WPARAM(DropOf({"C:\\dropped.tga"})), 0);
  EXPECT_EQ(BoxText(FontPathBox), "C:\\dropped.tga");
}

TEST_F(BuilderDialog, NotificationsAndEnterOrEscBuildNothing) {
  // An edit box's change notification carries the box's id in the low word.
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ExitButton, EN_CHANGE), 0);
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindowVisible(dialog));
  SendMessageA(dialog, WM_COMMAND, ExitButton, 0);
  EXPECT_FALSE(IsWindowVisible(dialog));
}
