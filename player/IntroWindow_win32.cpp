#include "IntroWindow.h"

#include <cstring>

#include "IntroSettings.h"
#include "SceneDraw.h"

HWND WindowHandle = nullptr;
HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;
bool FullScreenActive = false;

namespace {
const char IntroClassName[] = "Sinewright";
constexpr UINT TitleTimerPeriod = 1000;
constexpr DWORD IntroExStyle = WS_EX_APPWINDOW;
constexpr DWORD IntroStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
HINSTANCE ModuleHandle = nullptr;

bool RegisterIntroClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = IntroWindowProc;
  windowClass.hInstance = ModuleHandle;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = IntroClassName;
  return RegisterClassA(&windowClass) != 0;
}

// Only a switch that really happened counts: any other answer leaves the desktop as
// it was, and the intro then shows as a window with the cursor visible.
void SwitchDisplayMode(int32_t width, int32_t height, int32_t colourBits) {
  static_assert(sizeof(DEVMODEA) == 156, "the mode record Windows expects");
  DEVMODEA mode;
  memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = DWORD(width);
  mode.dmPelsHeight = DWORD(height);
  mode.dmBitsPerPel = DWORD(colourBits);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  FullScreenActive = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// Read after any mode switch, so a full screen gets 0, 0.
HWND CreateCentredWindow(int32_t width, int32_t height) {
  int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
  return CreateWindowExA(IntroExStyle, IntroClassName, IntroSettings.Title.Text(), IntroStyle, x, y, width,
                         height, nullptr, nullptr, ModuleHandle, nullptr);
}

bool SetIntroPixelFormat(int32_t colourBits) {
  PIXELFORMATDESCRIPTOR descriptor;
  memset(&descriptor, 0, sizeof descriptor);
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.iPixelType = PFD_TYPE_RGBA;
  descriptor.cColorBits = BYTE(colourBits);
  descriptor.cDepthBits = 16;
  descriptor.iLayerType = PFD_MAIN_PLANE;
  int format = ChoosePixelFormat(DeviceContext, &descriptor);
  return format != 0 && SetPixelFormat(DeviceContext, format, &descriptor);
}

bool CreateSurface(int32_t width, int32_t height, int32_t colourBits) {
  WindowHandle = CreateCentredWindow(width, height);
  if (!WindowHandle)
    return false;
  DeviceContext = GetDC(WindowHandle);
  if (!DeviceContext || !SetIntroPixelFormat(colourBits))
    return false;
  RenderContext = wglCreateContext(DeviceContext);
  return RenderContext && wglMakeCurrent(DeviceContext, RenderContext);
}
} // namespace

bool OpenIntroWindow(int32_t width, int32_t height, int32_t colourBits) {
  ModuleHandle = GetModuleHandleA(nullptr);
  if (!RegisterIntroClass())
    return false;
  if (IntroSettings.FullScreen.Equals("1"))
    SwitchDisplayMode(width, height, colourBits);
  if (FullScreenActive)
    ShowCursor(FALSE);
  if (!CreateSurface(width, height, colourBits)) {
    CloseIntroWindow();
    return false;
  }
  SetTimer(WindowHandle, TitleTimer, TitleTimerPeriod, nullptr);
  ShowWindow(WindowHandle, SW_SHOW);
  SetForegroundWindow(WindowHandle);
  SetFocus(WindowHandle);
  SetProjection(width, height);
  InitScene();
  return true;
}

void CloseIntroWindow() {
  if (FullScreenActive) {
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
    FullScreenActive = false;
  }
  wglMakeCurrent(DeviceContext, nullptr);
  if (RenderContext)
    wglDeleteContext(RenderContext);
  if (DeviceContext)
    ReleaseDC(WindowHandle, DeviceContext);
  if (WindowHandle)
    DestroyWindow(WindowHandle);
  UnregisterClassA(IntroClassName, ModuleHandle);
  RenderContext = nullptr;
  DeviceContext = nullptr;
  WindowHandle = nullptr;
}
