#pragma once
#include <windows.h>

#include <cstdint>

// The intro's one window with its OpenGL context: centred on the desktop, or covering
// a screen switched to the intro's mode when the settings ask for full screen.

// Sets the window text to the title again once a second.
constexpr UINT_PTR TitleTimer = 1;

extern HWND WindowHandle;
extern HDC DeviceContext;
extern HGLRC RenderContext;
extern bool FullScreenActive;

// True when the window is shown with a current GL context and the scene is set up;
// false after any failure, with whatever was made already torn down.
bool OpenIntroWindow(int32_t width, int32_t height, int32_t colourBits);
// Undoes OpenIntroWindow, whatever part of it succeeded.
void CloseIntroWindow();

// One entry per virtual-key code, 1 while the key is down; the frame loop reads Esc.
extern uint8_t KeyDown[256];

// The window procedure of the intro's class: music, projection, keys, the title
// timer and the ways to close.
LRESULT CALLBACK IntroWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
