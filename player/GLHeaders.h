#pragma once
// The drawing code is plain OpenGL 1.1 and GLU: opengl32 and glu32 on Windows,
// Mesa elsewhere. Windows' GL headers need its own declarations first.
#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
