/* Prints "shown" when the pointer's current cursor has any pixel that is not
 * fully transparent, "hidden" when it has none; exits 1 without a display.
 * A hidden cursor is still a cursor to X: only its image tells. */
#include <stdio.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fputs("cursor_shown: cannot open the display\n", stderr);
        return 1;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == NULL) {
        fputs("cursor_shown: no cursor image\n", stderr);
        XCloseDisplay(display);
        return 1;
    }
    int shown = 0;
    for (unsigned long i = 0; i < (unsigned long)image->width * image->height; ++i) {
        shown |= (image->pixels[i] >> 24) != 0; /* ARGB, one pixel per long */
    }
    printf("%s %dx%d\n", shown ? "shown" : "hidden", image->width, image->height);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
