/* A stand-in for Hook.so in tests without an X display: it accepts every installation and posts
 * nothing; the test posts message 1034 to the window as the real hook would. */
#include "link/driver_abi.h"

TALVORE_EXPORT int TalvoreAbiVersion(void) {
    return TALVORE_ABI_VERSION;
}
TALVORE_EXPORT int installmousehook(const TalvoreWindow* window) {
    return window != 0;
}
TALVORE_EXPORT void removemousehook(void) {}
TALVORE_EXPORT void enablemousehook(int enable) {
    (void)enable;
}
TALVORE_EXPORT int installhook(const TalvoreWindow* window) {
    return window != 0;
}
TALVORE_EXPORT void removehook(void) {}
TALVORE_EXPORT void enablehook(int enable) {
    (void)enable;
}
TALVORE_EXPORT void mousewheelenable(int enable) {
    (void)enable;
}
