#include <windows.h>

#include <cstdint>

#include "IntroSettings.h"
#include "IntroWindow.h"
#include "SceneDraw.h"
#include "XmPlayer/XmPlayer.h"

// One entry per virtual-key code; only Esc is looked at, by the frame loop.
uint8_t KeyDown[256];

namespace {
constexpr int32_t IntroWidth = 800, IntroHeight = 600, IntroColourBits = 32;

// The music is stopped before the loop sees the quit message, so its thread and
// device are gone before the window is torn down.
void EndIntro() {
  stopSong();
  PostQuitMessage(0);
}

// Frames are drawn whenever no message waits; there is no clock, every motion moves
// a fixed step per frame.
int32_t RunIntroLoop() {
  if (!OpenIntroWindow(IntroWidth, IntroHeight, IntroColourBits))
    return 0;
  MSG message = {};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      RenderFrame();
      SwapBuffers(DeviceContext);
      if (KeyDown[VK_ESCAPE] == 1)
        break;
    }
  }
  CloseIntroWindow();
  return int32_t(message.wParam);
}

} // namespace

// The program starts without the C run-time's start-up code, which would be a
// fifth of the file; the entry does the little of it that the player needs.
extern "C" void _fpreset();           // the x87 precision that start-up code sets
extern "C" void (*__CTOR_LIST__[])(); // the linker's list: -1, constructors, 0

// Globals register their destructors here as they are constructed. The process ends
// through ExitProcess, which releases everything at once, so none of them is kept.
extern "C" int atexit(void (*)()) { return 0; }

namespace {
// Constructors of the program's globals, last to first as the run-time runs them.
// Nothing is registered for the exit: the process ends through ExitProcess.
void RunGlobalConstructors() {
  int count = 0;
  while (__CTOR_LIST__[count + 1])
    count++;
  for (int i = count; i >= 1; i--)
    __CTOR_LIST__[i]();
}
} // namespace

// The program's entry: it takes no command line. An intro without a title has
// nothing to show and ends without a window. The exit code is always 0.
extern "C" void PlayerEntry() {
  _fpreset();
  RunGlobalConstructors();
  LoadSettings();
  if (!IntroSettings.Title.IsEmpty())
    RunIntroLoop();
  ExitProcess(0);
}

LRESULT CALLBACK IntroWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CREATE: startSong("Music", 0, SourceResource); return 0;
  // May come before the GL context exists; the GL calls then do nothing.
  case WM_SIZE: SetProjection(LOWORD(lParam), HIWORD(lParam)); return 0;
  case WM_CLOSE: EndIntro(); return 0;
  case WM_KEYDOWN: KeyDown[wParam & 0xFF] = 1; return 0;
  case WM_KEYUP: KeyDown[wParam & 0xFF] = 0; return 0;
  case WM_TIMER:
    if (wParam == TitleTimer)
      SetWindowTextA(window, IntroSettings.Title.Text());
    return 0;
  case WM_LBUTTONDOWN:
    if (IntroSettings.CloseOnClick.Equals("1"))
      EndIntro();
    return 0;
  default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
