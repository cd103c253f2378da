/* The C interface between the program and its sibling libraries: the two USB driver libraries
 * (hiddriver_1.so for the 2.4 GHz receiver, hiddriver_2.so for the mouse on its cable) and the
 * input hook library (Hook.so). The libraries know nothing of the program beyond this header.
 *
 * ABI history:
 *   1  first version: driver exports Set_VIDPID .. GetFeature, hook exports installmousehook ..
 *      mousewheelenable, and TalvoreAbiVersion in every library. Later within 1: keys without a
 *      virtual-key code are posted as TALVORE_UNKNOWN_KEY_BASE + their evdev code instead of not
 *      at all (a reader that knows only virtual-key codes finds no key-table row for them and
 *      records usage 0, as for any key it does not know); enablehook and enablemousehook return
 *      once every event that happened before the call has been judged by the old state.
 */
#ifndef TALVORE_LINK_DRIVER_ABI_H
#define TALVORE_LINK_DRIVER_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TALVORE_ABI_VERSION 1

#if defined(__GNUC__)
#define TALVORE_EXPORT __attribute__((visibility("default")))
#else
#define TALVORE_EXPORT
#endif

/* Where a library posts its messages: a window of the program. post() may be called from any
 * thread of the library and must not block; the library copies this struct. */
typedef struct TalvoreWindow {
    void* context;
    void (*post)(void* context, uint32_t message, uint64_t wParam, int64_t lParam);
} TalvoreWindow;

/* ---- Driver library (one instance per USB link) ----
 * Order of use: Set_VIDPID, Open_DevMonitor, Open_FeatureDevice; then Open_FeatureDevice on each
 * arrival and Close_FeatureDevice on each removal; at the end Close_FeatureDevice,
 * Close_DevMonitor.
 *
 * Status message: wParam 1 = device arrived, 0 = device removed. The device present when the
 * monitor opens is taken as the starting state and is not reported.
 * Data message, one device event each: wParam = 16-bit event key, lParam = 16-bit event value. */
typedef int (*TalvoreSetVidPid)(uint32_t vendorId, uint32_t productId);
typedef int (*TalvoreOpenDevMonitor)(const TalvoreWindow* window, uint32_t dataMessage,
                                     uint32_t statusMessage);
typedef void (*TalvoreCloseDevMonitor)(void);
/* Nonzero when the device was opened, i.e. is present. */
typedef int (*TalvoreOpenFeatureDevice)(void);
typedef void (*TalvoreCloseFeatureDevice)(void);
/* Writes one feature report: report[0] is the report id; length is the report's own length (64 for
 * macro frames). Nonzero when written. */
typedef int (*TalvoreSetFeature)(const uint8_t* report, uint32_t length);
/* Reads a feature report; bound but not used by the program. Returns the bytes read, -1 on error.
 */
typedef int (*TalvoreGetFeature)(uint8_t* buffer, uint32_t length);

/* ---- Hook library ----
 * installhook(window) then enablehook(1): every key and mouse-button event is posted to the window
 * as message 1034: wParam = Windows virtual-key code (TALVORE_UNKNOWN_KEY_BASE + the evdev code
 * for a key that has none), or a mouse message 513/514 (left down/up),
 * 516/517 (right), 519/520 (middle), 523/524 (X button down/up); lParam = 0 for a press and
 * nonzero for a release; with 523/524 lParam names the X button: 1 forward, 2 backward.
 * removehook() ends keys and mouse buttons alike and returns once nothing more will be posted to
 * the window; removemousehook() ends the mouse buttons only. */
typedef int (*TalvoreInstallHook)(const TalvoreWindow* window);
typedef void (*TalvoreRemoveHook)(void);
typedef void (*TalvoreEnableHook)(int enable);

typedef int (*TalvoreAbiVersionFunction)(void);

/* Message numbers the hook library posts. */
#define TALVORE_MSG_HOOK_INPUT 1034u
#define TALVORE_MOUSE_LEFT_DOWN 513u
#define TALVORE_MOUSE_LEFT_UP 514u
#define TALVORE_MOUSE_RIGHT_DOWN 516u
#define TALVORE_MOUSE_RIGHT_UP 517u
#define TALVORE_MOUSE_MIDDLE_DOWN 519u
#define TALVORE_MOUSE_MIDDLE_UP 520u
#define TALVORE_MOUSE_X_DOWN 523u
#define TALVORE_MOUSE_X_UP 524u
#define TALVORE_X_BUTTON_FORWARD 1
#define TALVORE_X_BUTTON_BACKWARD 2
/* wParam of a key without a virtual-key code: this base plus the key's evdev code. */
#define TALVORE_UNKNOWN_KEY_BASE 0x10000u

#ifdef __cplusplus
}
#endif

#endif /* TALVORE_LINK_DRIVER_ABI_H */
