#include "capture/egl_context.h"

#include <EGL/eglext.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// The show draws in OpenGL 1.1 immediate mode: any version with the
// compatibility profile serves.
constexpr EGLint kContextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};

// No surface at all: any surface type serves.
constexpr EGLint kConfigAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                        EGL_NONE};

std::string EglError(const char* what) {
    char code[32];
    std::snprintf(code, sizeof code, " (EGL error 0x%04x)", eglGetError());
    return std::string("no OpenGL context: ") + what + code;
}

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

} // namespace

EglContext::EglContext() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        throw std::runtime_error(
            "no OpenGL context: EGL has no surfaceless platform (Mesa's libegl-mesa0 is needed)");
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        throw std::runtime_error("no OpenGL context: EGL lacks eglGetPlatformDisplayEXT");
    }
    display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display_ == EGL_NO_DISPLAY) {
        throw std::runtime_error(EglError("cannot open the surfaceless display"));
    }
    if (eglInitialize(display_, nullptr, nullptr) != EGL_TRUE) {
        display_ = EGL_NO_DISPLAY;
        throw std::runtime_error(EglError("cannot initialise EGL"));
    }
    try {
        if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
            throw std::runtime_error(EglError("EGL offers no desktop OpenGL"));
        }
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (eglChooseConfig(display_, kConfigAttributes, &config, 1, &count) != EGL_TRUE ||
            count < 1) {
            throw std::runtime_error(EglError("no EGL configuration renders OpenGL"));
        }
        context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, kContextAttributes);
        if (context_ == EGL_NO_CONTEXT) {
            throw std::runtime_error(EglError("cannot create a compatibility context"));
        }
        if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) != EGL_TRUE) {
            throw std::runtime_error(EglError("cannot make the context current without a surface"));
        }
    } catch (...) {
        if (context_ != EGL_NO_CONTEXT) {
            eglDestroyContext(display_, context_);
        }
        eglTerminate(display_);
        throw;
    }
}

EglContext::~EglContext() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglTerminate(display_);
    eglReleaseThread();
}
