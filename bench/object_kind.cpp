#include "object_kind.h"

namespace {

constexpr const char* kGlObjects[] = {"libGL",    "libGLX",  "libGLU",     "libGLdispatch",
                                      "libglapi", "_dri.so", "libgallium", "libLLVM",
                                      "libdrm",   "???"};
constexpr const char* kMediaObjects[] = {"libSDL",     "libX",     "libxcb", "libxshmfence",
                                         "libwayland", "libdecor", "libxkb", "libmikmod",
                                         "libpulse",   "libasound"};

template <size_t N> bool ContainsAny(const std::string& text, const char* const (&parts)[N]) {
    for (const char* part : parts) {
        if (text.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

ObjectKind KindOfObject(const std::string& object, const std::string& ourObject) {
    if (object == ourObject) {
        return ObjectKind::Ours;
    }
    if (ContainsAny(object, kGlObjects)) {
        return ObjectKind::Gl;
    }
    if (ContainsAny(object, kMediaObjects)) {
        return ObjectKind::Media;
    }
    return ObjectKind::System;
}
