/*
 * talvore_virtual_input: a keyboard and a pointer for tests under a headless Wayland compositor,
 * on the virtual-keyboard and virtual-pointer protocols (sway and other wlroots compositors).
 * The keyboard carries the US layout compiled here by xkbcommon and sends the evdev codes of
 * that layout, so programs receive the key codes a real US keyboard gives.
 *
 * Reads one command a line from standard input and answers each with "ok" (or "error: ...")
 * once the compositor has taken it:
 *   key NAME|CODE           press and release a key: an xkb key name ("F5", "Return", "a";
 *                           "F13"-"F24" are the kernel's F13-F24 keys) or an evdev code
 *   down NAME|CODE / up NAME|CODE   press or release only (modifiers, held keys)
 *   type TEXT               the characters of TEXT, with Shift where the US layout needs it
 *   move X Y W H            the pointer to X,Y of a W x H layout (absolute)
 *   button left|right|middle down|up|click
 *   token                   an activation token, as a launcher asks for one: "token TOKEN"
 *   quit
 * Environment: WAYLAND_DISPLAY (a name in XDG_RUNTIME_DIR, or an absolute path).
 */
#define _GNU_SOURCE
#include <errno.h>
#include <linux/input-event-codes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"

struct client {
    struct wl_display* display;
    struct wl_seat* seat;
    struct zwp_virtual_keyboard_manager_v1* keyboardManager;
    struct zwlr_virtual_pointer_manager_v1* pointerManager;
    struct xdg_activation_v1* activation;
    struct zwp_virtual_keyboard_v1* keyboard;
    struct zwlr_virtual_pointer_v1* pointer;
    struct xkb_context* xkb;
    struct xkb_keymap* keymap;
    char token[512];
    int tokenDone;
};

static uint32_t NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    struct client* c = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && c->seat == NULL) {
        c->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        c->keyboardManager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        c->pointerManager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        c->activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
    }
}

static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

static void OnTokenDone(void* data, struct xdg_activation_token_v1* token, const char* value) {
    struct client* c = data;
    (void)token;
    snprintf(c->token, sizeof c->token, "%s", value);
    c->tokenDone = 1;
}

static const struct xdg_activation_token_v1_listener kTokenListener = {OnTokenDone};

/* The US layout as a keymap text in a sealed memory file, handed to the compositor. */
static int UploadKeymap(struct client* c) {
    struct xkb_rule_names names = {"evdev", "pc105", "us", "", ""};
    c->xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    c->keymap =
        c->xkb ? xkb_keymap_new_from_names(c->xkb, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    if (c->keymap == NULL) {
        return -1;
    }
    char* text = xkb_keymap_get_as_string(c->keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = strlen(text) + 1;
    int fd = memfd_create("talvore-keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, text, size) != (ssize_t)size) {
        free(text);
        return -1;
    }
    free(text);
    zwp_virtual_keyboard_v1_keymap(c->keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   (uint32_t)size);
    close(fd);
    return 0;
}

/* The evdev code of a key name or number, and whether Shift gives `sym` on it; -1 if none. */
static int FindKey(struct client* c, xkb_keysym_t sym, int* shift) {
    const xkb_keycode_t min = xkb_keymap_min_keycode(c->keymap);
    const xkb_keycode_t max = xkb_keymap_max_keycode(c->keymap);
    for (int level = 0; level < 2; ++level) {
        for (xkb_keycode_t code = min; code <= max; ++code) {
            const xkb_keysym_t* syms = NULL;
            const int count = xkb_keymap_key_get_syms_by_level(c->keymap, code, 0, level, &syms);
            for (int i = 0; i < count; ++i) {
                if (syms[i] == sym) {
                    *shift = level;
                    return (int)code - 8;
                }
            }
        }
    }
    return -1;
}

static int KeyCode(struct client* c, const char* name, int* shift) {
    *shift = 0;
    char* end = NULL;
    const long number = strtol(name, &end, 10);
    if (end != name && *end == '\0') {
        return number >= 0 && number < 768 ? (int)number : -1;
    }
    xkb_keysym_t sym = xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS);
    if (sym == XKB_KEY_NoSymbol) {
        sym = xkb_keysym_from_name(name, XKB_KEYSYM_CASE_INSENSITIVE);
    }
    const int code = sym == XKB_KEY_NoSymbol ? -1 : FindKey(c, sym, shift);
    if (code < 0 && sym >= XKB_KEY_F13 && sym <= XKB_KEY_F24) {
        /* The US layout names the keys F13-F24 send after tools and media (XF86Tools, ...);
           the keys themselves are the kernel's KEY_F13-KEY_F24. */
        return KEY_F13 + (int)(sym - XKB_KEY_F13);
    }
    return code;
}

static void SendKey(struct client* c, int code, int pressed) {
    zwp_virtual_keyboard_v1_key(
        c->keyboard, NowMs(), (uint32_t)code,
        pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

static void Tap(struct client* c, int code, int shift) {
    if (shift) {
        SendKey(c, KEY_LEFTSHIFT, 1);
    }
    SendKey(c, code, 1);
    SendKey(c, code, 0);
    if (shift) {
        SendKey(c, KEY_LEFTSHIFT, 0);
    }
}

/* One command; returns an error text or NULL. */
static const char* Run(struct client* c, char* line) {
    char* command = strtok(line, " \n");
    char* rest = strtok(NULL, "\n");
    if (command == NULL) {
        return "empty command";
    }
    if (strcmp(command, "key") == 0 || strcmp(command, "down") == 0 || strcmp(command, "up") == 0) {
        int shift = 0;
        const int code = rest ? KeyCode(c, rest, &shift) : -1;
        if (code < 0) {
            return "unknown key";
        }
        if (strcmp(command, "key") == 0) {
            Tap(c, code, shift);
        } else {
            SendKey(c, code, strcmp(command, "down") == 0);
        }
        return NULL;
    }
    if (strcmp(command, "type") == 0) {
        for (const char* p = rest ? rest : ""; *p != '\0'; ++p) {
            int shift = 0;
            const int code = FindKey(c, xkb_utf32_to_keysym((uint32_t)(unsigned char)*p), &shift);
            if (code < 0) {
                return "a character the US layout has no key for";
            }
            Tap(c, code, shift);
        }
        return NULL;
    }
    if (strcmp(command, "move") == 0) {
        unsigned x = 0, y = 0, w = 0, h = 0;
        if (rest == NULL || sscanf(rest, "%u %u %u %u", &x, &y, &w, &h) != 4 || w == 0 || h == 0) {
            return "move X Y W H";
        }
        zwlr_virtual_pointer_v1_motion_absolute(c->pointer, NowMs(), x, y, w, h);
        zwlr_virtual_pointer_v1_frame(c->pointer);
        return NULL;
    }
    if (strcmp(command, "button") == 0) {
        char which[16] = "", action[16] = "";
        if (rest == NULL || sscanf(rest, "%15s %15s", which, action) != 2) {
            return "button WHICH ACTION";
        }
        const uint32_t button = strcmp(which, "left") == 0     ? BTN_LEFT
                                : strcmp(which, "right") == 0  ? BTN_RIGHT
                                : strcmp(which, "middle") == 0 ? BTN_MIDDLE
                                                               : 0;
        if (button == 0) {
            return "unknown button";
        }
        const int click = strcmp(action, "click") == 0;
        if (click || strcmp(action, "down") == 0) {
            zwlr_virtual_pointer_v1_button(c->pointer, NowMs(), button,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(c->pointer);
        }
        if (click || strcmp(action, "up") == 0) {
            zwlr_virtual_pointer_v1_button(c->pointer, NowMs(), button,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(c->pointer);
        }
        return NULL;
    }
    if (strcmp(command, "token") == 0) {
        if (c->activation == NULL) {
            return "the compositor offers no xdg_activation_v1";
        }
        struct xdg_activation_token_v1* token =
            xdg_activation_v1_get_activation_token(c->activation);
        xdg_activation_token_v1_add_listener(token, &kTokenListener, c);
        c->tokenDone = 0;
        xdg_activation_token_v1_commit(token);
        while (!c->tokenDone && wl_display_dispatch(c->display) >= 0) {
        }
        xdg_activation_token_v1_destroy(token);
        printf("token %s\n", c->token);
        return NULL;
    }
    return "unknown command";
}

int main(void) {
    struct client c = {0};
    c.display = wl_display_connect(NULL);
    if (c.display == NULL) {
        fprintf(stderr, "talvore_virtual_input: cannot connect to the compositor: %s\n",
                strerror(errno));
        return 2;
    }
    struct wl_registry* registry = wl_display_get_registry(c.display);
    wl_registry_add_listener(registry, &kRegistryListener, &c);
    wl_display_roundtrip(c.display);
    if (c.seat == NULL || c.keyboardManager == NULL || c.pointerManager == NULL) {
        fprintf(stderr,
                "talvore_virtual_input: the compositor offers no virtual keyboard or "
                "pointer\n");
        return 3;
    }
    c.keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(c.keyboardManager, c.seat);
    c.pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(c.pointerManager, c.seat);
    if (UploadKeymap(&c) != 0) {
        fprintf(stderr, "talvore_virtual_input: no US keymap from xkbcommon\n");
        return 4;
    }
    wl_display_roundtrip(c.display);
    printf("ready\n");
    fflush(stdout);

    char line[1024];
    while (fgets(line, sizeof line, stdin) != NULL) {
        if (strncmp(line, "quit", 4) == 0) {
            break;
        }
        const char* error = Run(&c, line);
        wl_display_roundtrip(c.display);
        printf(error ? "error: %s\n" : "ok\n", error);
        fflush(stdout);
    }
    zwp_virtual_keyboard_v1_destroy(c.keyboard);
    zwlr_virtual_pointer_v1_destroy(c.pointer);
    wl_display_roundtrip(c.display);
    wl_display_disconnect(c.display);
    xkb_keymap_unref(c.keymap);
    xkb_context_unref(c.xkb);
    return 0;
}
