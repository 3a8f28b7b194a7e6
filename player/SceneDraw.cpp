#include "SceneDraw.h"

#include "FontTexture.h"
#include "GLHeaders.h"
#include "IntroSettings.h"
#include "Scene.h"

namespace {
// Each star is one segment from its head, brighter the nearer it comes (white from
// y = 5 on), to a black tail where it was a frame ago.
void DrawStar(const Star &star) {
  glBegin(GL_LINE_STRIP);
  float brightness = star.y / 5;
  glColor3f(brightness, brightness, brightness);
  glVertex3f(star.x, star.y, star.z);
  glColor3f(0, 0, 0);
  glVertex3fv(&star.prevX);
  glEnd();
}

// Rotated so that a star's y is its depth, flying from -7 towards the viewer.
void DrawStarfield() {
  glPushMatrix();
  glDisable(GL_TEXTURE_2D);
  glTranslatef(0, 0, -7);
  glRotatef(90, 1, 0, 0);
  for (const Star &star : Stars)
    DrawStar(star);
  glPopMatrix();
}

// Each character stands 0.08 right of the one before, displaced by the wave value
// that lies PhaseStep entries behind its left neighbour's.
void DrawScroller() {
  glColor3f(1, 1, 1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FontTexture);
  uint32_t phase = uint32_t(FramePhase); // unsigned: stepping back past the wrap is defined
  glPushMatrix();
  glTranslatef(2.0f - ScrollOffset, 0.1f, -1.53f);
  const TByteString &text = IntroSettings.ScrollText;
  for (int32_t i = 0; i < text.Length(); i++) {
    glTranslatef(0.08f, 0, 0);
    glPushMatrix();
    Offset3 wave = WaveDisplacement(IntroSettings.ScrollType, WaveAt(int32_t(phase)));
    glTranslatef(wave.x, wave.y, wave.z);
    phase -= PhaseStep;
    char character = text[i];
    DrawTextRow(TByteString(&character, 1));
    glPopMatrix();
  }
  glPopMatrix();
}

void DrawTitle() {
  glPushMatrix();
  glTranslatef(0, 0.6f, -1.9f);
  DrawTextRow(IntroSettings.Title);
  glPopMatrix();
}
} // namespace

void DrawTextRow(const TByteString &text) {
  TByteString upper = UpperAscii(text);
  for (int32_t i = 0; i < upper.Length(); i++) {
    GlyphQuad quad;
    if (!GlyphQuadAt(i, upper.Length(), uint8_t(upper[i]), quad))
      continue;
    glBegin(GL_QUADS);
    glTexCoord2f(quad.s0, 0);
    glVertex3f(quad.left, quad.bottom, 0);
    glTexCoord2f(quad.s1, 0);
    glVertex3f(quad.right, quad.bottom, 0);
    glTexCoord2f(quad.s1, 1);
    glVertex3f(quad.right, quad.top, 0);
    glTexCoord2f(quad.s0, 1);
    glVertex3f(quad.left, quad.top, 0);
    glEnd();
  }
}

// The title is drawn after the flush with the scroller's colour and texture.
void RenderFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  DrawStarfield();
  DrawScroller();
  AdvanceMotion();
  glFlush();
  DrawTitle();
}
