/* A pointer for a Wayland session that has none (a headless compositor): it
 * gives the seat a virtual pointer and moves it as told, one command a line
 * on standard input:
 *
 *   move X Y     puts the pointer at X,Y of the WIDTH x HEIGHT output
 *   nudge DX DY  moves it by DX,DY as a mouse does (a locked pointer stays)
 *
 * and answers each with the command on standard output once the compositor
 * has handled it. It stays until the compositor goes away: a compositor may
 * crash when a virtual pointer leaves while it runs. */
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

struct Globals {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
};

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    struct Globals* globals = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == NULL) {
        globals->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void OnGlobalRemoved(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemoved};

/* Handles one command line; returns 0 when it was understood. */
static int Command(struct wl_display* display, struct zwlr_virtual_pointer_v1* pointer,
                   const char* line, unsigned width, unsigned height, uint32_t* time) {
    unsigned x = 0, y = 0;
    int dx = 0, dy = 0;
    *time += 10; /* milliseconds; only their order matters */
    if (sscanf(line, "move %u %u", &x, &y) == 2 && x < width && y < height) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, *time, x, y, width, height);
    } else if (sscanf(line, "nudge %d %d", &dx, &dy) == 2) {
        zwlr_virtual_pointer_v1_motion(pointer, *time, wl_fixed_from_int(dx),
                                       wl_fixed_from_int(dy));
    } else {
        fprintf(stderr, "virtual_pointer: not a command: %s\n", line);
        return 1;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) {
        return 1;
    }
    printf("%s\n", line);
    fflush(stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3 || atoi(argv[1]) <= 0 || atoi(argv[2]) <= 0) {
        fputs("usage: virtual_pointer WIDTH HEIGHT (commands on standard input)\n", stderr);
        return 2;
    }
    const unsigned width = (unsigned)atoi(argv[1]), height = (unsigned)atoi(argv[2]);
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fputs("virtual_pointer: no Wayland display\n", stderr);
        return 1;
    }
    struct Globals globals = {NULL, NULL};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.seat == NULL || globals.manager == NULL) {
        fputs("virtual_pointer: the compositor has no seat or no virtual pointers\n", stderr);
        wl_display_disconnect(display);
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    printf("ready\n");
    fflush(stdout);

    uint32_t time = 0;
    char input[1024];
    size_t held = 0; /* bytes of input not yet a whole line */
    int inputOpen = 1, failed = 0;
    while (!failed) {
        struct pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {0, POLLIN, 0}};
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            break;
        }
        if (poll(fds, inputOpen ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents != 0 && wl_display_dispatch(display) < 0) {
            break; /* the compositor is gone */
        }
        if (!inputOpen || fds[1].revents == 0) {
            continue;
        }
        const ssize_t count = read(0, input + held, sizeof input - 1 - held);
        if (count <= 0) {
            inputOpen = 0; /* wait for the compositor alone */
            continue;
        }
        held += (size_t)count;
        input[held] = '\0';
        char* start = input;
        for (char* end; (end = strchr(start, '\n')) != NULL; start = end + 1) {
            *end = '\0';
            if (Command(display, pointer, start, width, height, &time) != 0 &&
                wl_display_get_error(display) != 0) {
                failed = 1;
                break;
            }
        }
        held = strlen(start);
        memmove(input, start, held);
        if (held == sizeof input - 1) {
            held = 0; /* a line too long to be a command */
        }
    }
    wl_display_disconnect(display);
    return 0;
}
