#pragma once
#include <cstdint>

#include "StreamUnit/ByteString.h"

// Drawing the scene with OpenGL. All of it needs a current context except
// SetProjection, whose calls simply do nothing without one.

// Viewport and perspective for a client area; a height of 0 counts as 1.
void SetProjection(int32_t width, int32_t height);
// The fixed GL state, the font texture and the scene's starting values.
void InitScene();
// Draws one frame and advances all motion by one step.
void RenderFrame();
// One row of glyph squares, 0.08 wide and high, centred about x = -0.04, at z = 0.
void DrawTextRow(const TByteString &text);
