#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "IntroSettings.h"
#include "IntroWindow.h"
#include "SceneDraw.h"

namespace {
constexpr int32_t IntroWidth = 800, IntroHeight = 600, IntroColourBits = 32;

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
extern "C" void (*__CTOR_LIST__[])(); // the linker's list: -1, constructors, 0

// The streams' virtual destructors name the deallocation functions, which the intro
// never calls; the library's come with unwind tables, a section of their own.
void operator delete(void *memory) noexcept { free(memory); }
void operator delete(void *memory, size_t) noexcept { free(memory); }

// Globals register their destructors here as they are constructed. The process ends
// through ExitProcess, which releases everything at once, so none of them is kept.
extern "C" int atexit(void (*)()) { return 0; }

namespace {
// The x87 state that start-up code sets (64-bit precision, all exceptions masked): the
// run-time's _fpreset is this one instruction, written here to leave out its unwind table.
void ResetFloatingPoint() { __asm__ __volatile__("fninit"); }

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
  ResetFloatingPoint();
  RunGlobalConstructors();
  LoadSettings();
  if (!IntroSettings.Title.IsEmpty())
    RunIntroLoop();
  ExitProcess(0);
}
