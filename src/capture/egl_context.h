// An OpenGL compatibility context with no window and no display server:
// EGL on Mesa's surfaceless platform, current on the calling thread.
#pragma once

#include <EGL/egl.h>

class EglContext {
  public:
    // Throws std::runtime_error with a one-line reason when no context can be made.
    EglContext();
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

  private:
    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
};
