#include <windows.h>

#include <cstdint>

#include "IntroSettings.h"
#include "IntroWindow.h"
#include "SceneDraw.h"
#include "XmPlayer/XmPlayer.h"

uint8_t KeyDown[256];

namespace {
// The music is stopped before the loop sees the quit message, so its thread and
// device are gone before the window is torn down.
void EndIntro() {
  stopSong();
  PostQuitMessage(0);
}
} // namespace

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
