// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and reports how long it took to put its first painted
// top-level window on the X display, and the program's peak resident memory
// at that moment; then ends the program.
//
//   startup-probe [--timeout MS] [--snapshot FILE.ppm] [--smaps FILE] TITLE -- PROGRAM [ARGS...]
//
// Output, one line: "<milliseconds> <VmHWM kB> <VmRSS kB> <CPU milliseconds>
// <width> <height>": the CPU figure is the processor time the program's live
// threads had used by then (on a busy machine it varies far less than the
// wall-clock time), the last two are the window's size.
//
// "Painted" is observed with the DAMAGE extension: a damage object is put on
// every new child of the root window as soon as it is created, so no drawing
// can slip past; the window counts as painted once, after it was mapped with
// the expected title, the drawing reported on it covers the whole window.
// Expose alone would only say that the server asked for a paint.
#define _GNU_SOURCE
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { MaxWindows = 256 };

struct Tracked {
    xcb_window_t window;
    xcb_damage_damage_t damage;
    int mapped;
    int matches; // -1 unknown, 0 no, 1 yes
    int width, height;
    // Bounding box of the damage reported since the window was mapped.
    int x1, y1, x2, y2;
};

static struct Tracked tracked[MaxWindows];
static int trackedCount;

static double nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

static struct Tracked* find(xcb_window_t window) {
    for (int i = 0; i < trackedCount; ++i)
        if (tracked[i].window == window)
            return &tracked[i];
    return NULL;
}

static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}

static int titleIs(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netWmName, xcb_atom_t utf8,
                   const char* title) {
    const xcb_atom_t props[2] = {netWmName, XCB_ATOM_WM_NAME};
    const xcb_atom_t types[2] = {utf8, XCB_ATOM_STRING};
    for (int i = 0; i < 2; ++i) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, props[i], types[i], 0, 1024), NULL);
        if (!reply)
            continue;
        const int length = xcb_get_property_value_length(reply);
        const int same = length == (int)strlen(title) &&
                         memcmp(xcb_get_property_value(reply), title, (size_t)length) == 0;
        free(reply);
        if (length > 0)
            return same;
    }
    return 0;
}

static void track(xcb_connection_t* c, xcb_window_t w) {
    if (find(w) || trackedCount == MaxWindows)
        return;
    struct Tracked* t = &tracked[trackedCount++];
    memset(t, 0, sizeof *t);
    t->window = w;
    t->matches = -1;
    t->damage = xcb_generate_id(c);
    xcb_damage_create(c, t->damage, w, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(c);
}

static long statusKb(pid_t pid, const char* key) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t keyLength = strlen(key);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
            value = strtol(line + keyLength + 1, NULL, 10);
            break;
        }
    }
    fclose(f);
    return value;
}

// Processor time of the process's threads so far, from the scheduler's
// nanosecond counters.
static double cpuMs(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* dir = opendir(path);
    if (!dir)
        return -1;
    double total = 0;
    struct dirent* entry;
    while ((entry = readdir(dir))) {
        if (entry->d_name[0] == '.')
            continue;
        char file[64];
        snprintf(file, sizeof file, "/proc/%d/task/%.20s/schedstat", (int)pid, entry->d_name);
        FILE* f = fopen(file, "r");
        if (!f)
            continue;
        unsigned long long ns = 0;
        if (fscanf(f, "%llu", &ns) == 1)
            total += ns / 1e6;
        fclose(f);
    }
    closedir(dir);
    return total;
}

// The program's memory map with each mapping's resident size, to see where
// the memory went.
static void copySmaps(pid_t pid, const char* file) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/smaps", (int)pid);
    FILE* in = fopen(path, "r");
    FILE* out = fopen(file, "w");
    char buffer[4096];
    size_t got;
    while (in && out && (got = fread(buffer, 1, sizeof buffer, in)) > 0)
        fwrite(buffer, 1, got, out);
    if (in)
        fclose(in);
    if (out)
        fclose(out);
}

// The window's pixels as a binary PPM, to check by eye what was caught.
static void snapshot(xcb_connection_t* c, const struct Tracked* t, const char* file) {
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, t->window, 0, 0,
                                          (uint16_t)t->width, (uint16_t)t->height, ~0u),
                            NULL);
    if (!image)
        return;
    FILE* f = fopen(file, "wb");
    if (f) {
        const uint8_t* data = xcb_get_image_data(image);
        const int stride = xcb_get_image_data_length(image) / t->height;
        fprintf(f, "P6\n%d %d\n255\n", t->width, t->height);
        for (int y = 0; y < t->height; ++y)
            for (int x = 0; x < t->width; ++x) {
                const uint8_t* p = data + y * stride + x * 4;
                const uint8_t rgb[3] = {p[2], p[1], p[0]};
                fwrite(rgb, 1, 3, f);
            }
        fclose(f);
    }
    free(image);
}

static void endChild(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, NULL, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
}

int main(int argc, char** argv) {
    int timeoutMs = 30000;
    const char* snapshotFile = NULL;
    const char* smapsFile = NULL;
    int i = 1;
    for (; i < argc; ++i) {
        if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeoutMs = atoi(argv[++i]);
        else if (strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc)
            snapshotFile = argv[++i];
        else if (strcmp(argv[i], "--smaps") == 0 && i + 1 < argc)
            smapsFile = argv[++i];
        else
            break;
    }
    if (i + 2 >= argc || strcmp(argv[i + 1], "--") != 0) {
        fprintf(stderr,
                "usage: %s [--timeout MS] [--snapshot FILE.ppm] [--smaps FILE] TITLE -- PROGRAM "
                "[ARGS...]\n",
                argv[0]);
        return 2;
    }
    const char* title = argv[i];
    char** program = argv + i + 2;

    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "startup-probe: cannot open the display\n");
        return 2;
    }
    const xcb_query_extension_reply_t* damageExt = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damageExt || !damageExt->present) {
        fprintf(stderr, "startup-probe: the display has no DAMAGE extension\n");
        return 2;
    }
    free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), NULL));
    const uint8_t damageNotify = damageExt->first_event + XCB_DAMAGE_NOTIFY;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");

    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_generic_error_t* error = xcb_request_check(c, selected);
    if (error) {
        fprintf(stderr, "startup-probe: cannot watch the root window\n");
        return 2;
    }

    const double start = nowMs();
    pid_t pid;
    if (posix_spawnp(&pid, program[0], NULL, NULL, program, environ) != 0) {
        fprintf(stderr, "startup-probe: cannot start %s: %s\n", program[0], strerror(errno));
        return 2;
    }

    const int fd = xcb_get_file_descriptor(c);
    double painted = -1;
    struct Tracked* found = NULL;
    while (painted < 0) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                break;
            if (nowMs() - start > timeoutMs)
                break;
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                fprintf(stderr, "startup-probe: %s ended before showing its window\n", program[0]);
                return 1;
            }
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            struct timeval tv = {0, 20000};
            select(fd + 1, &fds, NULL, NULL, &tv);
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const xcb_create_notify_event_t* e = (const xcb_create_notify_event_t*)event;
            if (e->parent == screen->root)
                track(c, e->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const xcb_map_notify_event_t* e = (const xcb_map_notify_event_t*)event;
            struct Tracked* t = find(e->window);
            if (t && !t->mapped) {
                t->mapped = 1;
                t->x1 = t->y1 = 1 << 30;
                t->x2 = t->y2 = -1;
                t->matches = titleIs(c, e->window, netWmName, utf8, title);
                xcb_get_geometry_reply_t* g =
                    xcb_get_geometry_reply(c, xcb_get_geometry(c, e->window), NULL);
                if (g) {
                    t->width = g->width;
                    t->height = g->height;
                    free(g);
                }
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const xcb_configure_notify_event_t* e = (const xcb_configure_notify_event_t*)event;
            struct Tracked* t = find(e->window);
            if (t) {
                t->width = e->width;
                t->height = e->height;
            }
        } else if (type == damageNotify) {
            const xcb_damage_notify_event_t* e = (const xcb_damage_notify_event_t*)event;
            struct Tracked* t = find(e->drawable);
            if (t && t->mapped && t->matches == 1) {
                const int x1 = e->area.x, y1 = e->area.y;
                const int x2 = x1 + e->area.width, y2 = y1 + e->area.height;
                if (x1 < t->x1)
                    t->x1 = x1;
                if (y1 < t->y1)
                    t->y1 = y1;
                if (x2 > t->x2)
                    t->x2 = x2;
                if (y2 > t->y2)
                    t->y2 = y2;
                if (t->x1 <= 0 && t->y1 <= 0 && t->x2 >= t->width && t->y2 >= t->height) {
                    painted = nowMs();
                    found = t;
                }
            }
        }
        free(event);
    }

    if (painted < 0) {
        fprintf(stderr, "startup-probe: no painted window titled \"%s\" within %d ms\n", title,
                timeoutMs);
        endChild(pid);
        return 1;
    }
    const long hwm = statusKb(pid, "VmHWM");
    const long rss = statusKb(pid, "VmRSS");
    const double cpu = cpuMs(pid);
    if (snapshotFile)
        snapshot(c, found, snapshotFile);
    if (smapsFile)
        copySmaps(pid, smapsFile);
    endChild(pid);
    xcb_disconnect(c);
    printf("%.1f %ld %ld %.1f %d %d\n", painted - start, hwm, rss, cpu, found->width,
           found->height);
    return 0;
}
