/* One lock for the hidapi calls of a process that touch hidapi's shared state: enumeration, opening
 * a device, start and end. hidapi keeps its last error text in one global without a lock, and the
 * two driver libraries and the program all use the same hidapi, so two threads enumerating at the
 * same moment could free that text twice. This small library is loaded once per process (the
 * drivers and the program name it by soname), so everyone takes the same lock. */
#ifndef TALVORE_DRIVERS_HIDAPI_LOCK_H
#define TALVORE_DRIVERS_HIDAPI_LOCK_H

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) void TalvoreHidapiLock(void);
__attribute__((visibility("default"))) void TalvoreHidapiUnlock(void);

#ifdef __cplusplus
}

// Holds the lock for a scope.
class HidapiLockGuard {
public:
    HidapiLockGuard() { TalvoreHidapiLock(); }
    ~HidapiLockGuard() { TalvoreHidapiUnlock(); }
    HidapiLockGuard(const HidapiLockGuard&) = delete;
    HidapiLockGuard& operator=(const HidapiLockGuard&) = delete;
};
#endif

#endif /* TALVORE_DRIVERS_HIDAPI_LOCK_H */
