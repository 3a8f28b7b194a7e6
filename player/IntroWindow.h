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

// The window procedure of the intro's class.
LRESULT CALLBACK IntroWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
