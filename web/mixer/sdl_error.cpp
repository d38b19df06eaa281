// SDL's error text for the web build. The browser's SDL library ignores
// SDL_SetError and always answers "unknown SDL-emscripten error", which would
// hide every reason the show and its mixer give (Mix_GetError is SDL_GetError).
#include <cstdarg>
#include <cstdio>

#include <SDL.h>

namespace {
constexpr std::size_t kErrorCapacity = 512;
char errorText[kErrorCapacity];
} // namespace

extern "C" void SDL_SetError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(errorText, sizeof errorText, format, arguments);
    va_end(arguments);
}

extern "C" const char* SDL_GetError(void) {
    return errorText;
}

extern "C" void SDL_ClearError(void) {
    errorText[0] = '\0';
}
