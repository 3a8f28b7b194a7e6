#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "IntroSettings.h"
#include "IntroWindow.h"
#include "XmPlayer/XmControl_win32.h"
#include "XmPlayer/XmPlayer.h"
#include "XmWriter.h"

// The intro's window procedure on a message-only window of its own class: what each
// message does, without a screen or a GL context.
class IntroWindowProcedure : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = IntroWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "IntroProcTest";
    RegisterClassA(&windowClass);
    IntroSettings = TIntroSettings();
    IntroSettings.Title = "Title";
    // WM_CREATE starts the music; this program has none, so nothing plays.
    window = CreateWindowExA(0, "IntroProcTest", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    DrainQueue();
  }
  void TearDown() override {
    DestroyWindow(window);
    UnregisterClassA("IntroProcTest", GetModuleHandleA(nullptr));
    DrainQueue();
  }
  static void DrainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  static bool QuitPosted() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && message.wParam == 0;
  }
  std::string Text() const {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }

  HWND window = nullptr;
};

TEST_F(IntroWindowProcedure, KeysAreDownFromPressUntilRelease) {
  EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(KeyDown[VK_ESCAPE], 1);
  EXPECT_EQ(KeyDown[VK_SPACE], 0);
  SendMessageA(window, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(KeyDown[VK_ESCAPE], 0);
  // A code past the table stays inside it.
  SendMessageA(window, WM_KEYDOWN, 0x11B, 0);
  EXPECT_EQ(KeyDown[0x1B], 1);
  SendMessageA(window, WM_KEYUP, 0x11B, 0);
}

TEST_F(IntroWindowProcedure, CloseAsksToQuitAndLeavesTheWindowToTheTeardown) {
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(QuitPosted());
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(IntroWindowProcedure, LeftClickClosesOnlyWhenCloseOnClickIsOne) {
  for (const char *flag : {"0", "", "x"}) {
    IntroSettings.CloseOnClick = flag;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(QuitPosted()) << flag;
  }
  IntroSettings.CloseOnClick = "1";
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  EXPECT_FALSE(QuitPosted());
  EXPECT_EQ(SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0), 0);
  EXPECT_TRUE(QuitPosted());
}

// The music is stopped, its heap gone, before the quit message goes out; a song from
// memory goes the same way as the intro's "Music".
TEST_F(IntroWindowProcedure, CloseAndTheClosingClickStopTheMusic) {
  XmModuleSpec module;
  module.addPattern(4).cell(0, 0) = {49, 1, 0x40, 0, 0};
  module.addInstrument().addSample({0, 1000, -1000});
  const std::string song = writeXm(module);
  IntroSettings.CloseOnClick = "1";
  for (UINT message : {WM_CLOSE, WM_LBUTTONDOWN}) {
    ASSERT_NE(startSong(song.data(), song.size(), SourceMemory), nullptr) << message;
    ASSERT_NE(currentSongHeap(), nullptr);
    SendMessageA(window, message, 0, 0);
    EXPECT_EQ(currentSongHeap(), nullptr) << message;
    EXPECT_TRUE(QuitPosted()) << message;
  }
}

TEST_F(IntroWindowProcedure, TitleTimerSetsTheTitleAgain) {
  SetWindowTextA(window, "changed");
  SendMessageA(window, WM_TIMER, 2, 0);
  EXPECT_EQ(Text(), "changed");
  SendMessageA(window, WM_TIMER, TitleTimer, 0);
  EXPECT_EQ(Text(), "Title");
}

// WM_SIZE arrives while the window is being created, before there is a GL context.
TEST_F(IntroWindowProcedure, SizeWithoutGLContextDoesNoHarm) {
  ASSERT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_EQ(SendMessageA(window, WM_SIZE, 0, MAKELPARAM(800, 0)), 0);
  EXPECT_EQ(SendMessageA(window, WM_SIZE, 0, MAKELPARAM(800, 600)), 0);
}
