#include "capture/av_error.h"

extern "C" {
#include <libavutil/error.h>
}

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void CheckAv(int code, const std::string& what) {
    if (code < 0) {
        throw std::runtime_error(what + ": " + AvErrorText(code));
    }
}
