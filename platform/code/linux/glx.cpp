// The OpenGL presentation path: a GLX context on the window, the screen image
// drawn with glDrawPixels. Complete, but nothing in the program turns it on.
#include <GL/gl.h>
#include <GL/glx.h>

#include <cstdlib>

#include "clock.h"
#include "image.h"
#include "window.h"
#include "x11_platform.h"

bool has_gl_context() { return x11.gl_context != nullptr; }

void request_gl_redraw(INT_U8 force) { x11.gl_force_present = force; }

void release_gl_context() {
  if (x11.display && x11.gl_context) {
    glXMakeCurrent(x11.display, None, nullptr);
    glXDestroyContext(x11.display, static_cast<GLXContext>(x11.gl_context));
  }
  x11.gl_context = nullptr;
  if (x11.gl_visual) XFree(x11.gl_visual);
  x11.gl_visual = nullptr;
  free(x11.gl_buffer);
  x11.gl_buffer = nullptr;
  x11.gl_buffer_width = x11.gl_buffer_height = 0;
}

bool create_gl_context() {
  if (gl_context_mismatch) return false;
  if (x11.gl_context) return true;
  if (!x11.display || !x11.window) return false;
  int error_base = 0, event_base = 0;
  if (!glXQueryExtension(x11.display, &error_base, &event_base)) return false;
  // A refused binding must reach our handler, not end the process.
  install_x_error_handler();
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                      GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 1, None};
  x11.gl_visual = glXChooseVisual(x11.display, DefaultScreen(x11.display), attributes);
  if (!x11.gl_visual) return false;
  GLXContext context = glXCreateContext(x11.display, x11.gl_visual, nullptr, True);
  if (!context) context = glXCreateContext(x11.display, x11.gl_visual, nullptr, False);
  if (!context) {
    XFree(x11.gl_visual);
    x11.gl_visual = nullptr;
    return false;
  }
  Bool bound = glXMakeCurrent(x11.display, x11.window, context);
  XSync(x11.display, False);  // a BadMatch arrives here
  if (!bound) {
    glXDestroyContext(x11.display, context);
    XFree(x11.gl_visual);
    x11.gl_visual = nullptr;
    return false;
  }
  x11.gl_context = context;
  if (gl_context_mismatch) {
    release_gl_context();
    return false;
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  x11.gl_force_present = 1;
  return true;
}

void present_gl() {
  IMAGE* screen = platform_screen_image();
  int width = screen->width, height = screen->height;
  if (width < 1 || height < 1) return;
  if (!x11.gl_buffer || x11.gl_buffer_width != width || x11.gl_buffer_height != height) {
    free(x11.gl_buffer);
    x11.gl_buffer = static_cast<INT_U32*>(malloc(static_cast<size_t>(width) * static_cast<size_t>(height) * 4));
    x11.gl_buffer_width = x11.gl_buffer ? width : 0;
    x11.gl_buffer_height = x11.gl_buffer ? height : 0;
    if (!x11.gl_buffer) return;
    screen->add_dirty_rect(screen->x, screen->y, static_cast<INT_S16>(screen->x + width - 1),
                           static_cast<INT_S16>(screen->y + height - 1));
  }
  bool unset = screen->dirty_left == 65535 || screen->dirty_right == 65535 || screen->dirty_top == 65535 ||
               screen->dirty_bottom == 65535;
  if (!x11.gl_force_present && unset) return;
  x11.gl_force_present = 0;
  screen->copy_flipped(x11.gl_buffer);
  screen->dirty_left = screen->dirty_right = screen->dirty_top = screen->dirty_bottom = 65535;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawPixels(width, height, GL_BGRA, GL_UNSIGNED_BYTE, x11.gl_buffer);
  glXSwapBuffers(x11.display, x11.window);
  frame_activity = 1;
}
